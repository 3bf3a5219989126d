// The program whose signature the tests check: it does nothing, and says who it is.
int main()
{
    return 0;
}
