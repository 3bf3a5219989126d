#include "products/bootwarden/BootwardenApp.h"

// The one application object; WinMain finds it and runs it.
products::bootwarden::BootwardenApp theApp;
