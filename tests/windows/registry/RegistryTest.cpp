#include "windows/registry/RegistryException.h"
#include "windows/registry/RegistryHelpers.h"
#include "windows/registry/RegistryKeyImpl.h"
#include "windows/registry/RegistryReaderImpl.h"
#include "windows/registry/RegistryWriterImpl.h"

#include "platform/errorresources/SystemErrors.h"
#include "support/AssertionRecorder.h"
#include "support/MessageOf.h"
#include "support/Win32Fakes.h"
#include "support/WineFixtures.h"

#include <gtest/gtest.h>

using platform::errorresources::SystemErrors;

using namespace windows::registry;

namespace {

const std::string SUB_KEY = "Software\\BootwardenTest\\Registry";
const std::string PATH = "HKEY_CURRENT_USER\\" + SUB_KEY;
const std::string VALUE = PATH + "\\v";

class RegistryTest : public testing::Test {
protected:
    RegistryScratch scratch{HKEY_CURRENT_USER, SUB_KEY};
    RegistryKeyImpl key{HKEY_CURRENT_USER, SUB_KEY, KEY_READ | KEY_WRITE, RegistryKeyImpl::OPEN};
    RegistryReaderImpl reader{key};
    RegistryWriterImpl writer{key};
};

TEST_F(RegistryTest, ListsValuesInTheRegistrysOrderWithTextByType)
{
    EXPECT_TRUE(reader.getValues().empty());
    ::SetEnvironmentVariableA("BOOTWARDEN_DIR", "C:\\bw");
    scratch.setString("zeta", "%BOOTWARDEN_DIR%\\z.exe");
    scratch.setString("alpha", "%BOOTWARDEN_DIR%\\a.exe", REG_EXPAND_SZ);
    scratch.set("count", REG_DWORD, std::string("\x2a\0\0\0", 4));
    scratch.set("large", REG_QWORD, std::string("\x01\0\0\0\x01\0\0\0", 8));
    scratch.set("multi", REG_MULTI_SZ, utf16(std::string("a\0bc\0\0", 6)));
    scratch.set("raw", REG_BINARY, std::string("\x00\xff\x10", 3));
    const std::string longCommand = "C:\\Program Files\\Tool\\tool.exe " + std::string(5000, 'x');
    const std::string longName(300, 'n');
    scratch.setString(longName, longCommand);
    // Wine keeps a key's values sorted by name; the order is the registry's, not ours.
    const RegistryReaderImpl::Values expected{
        {"alpha", REG_EXPAND_SZ, utf16("%BOOTWARDEN_DIR%\\a.exe" + std::string(1, '\0')), "C:\\bw\\a.exe"},
        {"count", REG_DWORD, std::string("\x2a\0\0\0", 4), "0x0000002a (42)"},
        {"large", REG_QWORD, std::string("\x01\0\0\0\x01\0\0\0", 8), "0x0000000100000001 (4294967297)"},
        {"multi", REG_MULTI_SZ, utf16(std::string("a\0bc\0\0", 6)), "a bc"},
        {longName, REG_SZ, utf16(longCommand + std::string(1, '\0')), longCommand},
        {"raw", REG_BINARY, std::string("\x00\xff\x10", 3), "00 ff 10"},
        {"zeta", REG_SZ, utf16("%BOOTWARDEN_DIR%\\z.exe" + std::string(1, '\0')), "%BOOTWARDEN_DIR%\\z.exe"}};
    EXPECT_EQ(expected, reader.getValues());
    EXPECT_EQ("a", reader.readString("multi"));
    EXPECT_EQ("C:\\bw\\a.exe", reader.readString("alpha"));
    EXPECT_EQ(longCommand, reader.readString(longName)) << "long values and names are read whole";
}

TEST_F(RegistryTest, WritesStringsInUtf16WithTheirNul)
{
    writer.writeString("cmd", "C:\\x.exe /q");
    const std::wstring wide = L"C:\\x.exe /q";
    DWORD type = 0;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(wide.c_str()), (wide.size() + 1) * 2),
              scratch.bytes("cmd", &type));
    EXPECT_EQ(DWORD(REG_SZ), type);
    EXPECT_EQ("C:\\x.exe /q", reader.readString("cmd"));
}

// A name holding a NUL cannot be handed to the system, which would read it only up to the NUL
// and act on another value.
TEST_F(RegistryTest, ANameHoldingANulIsRefusedNotCut)
{
    scratch.setString("ab", "kept.exe");
    const std::string name("ab\0c", 4);
    EXPECT_THROW(writer.deleteValue(name), RegistryException);
    EXPECT_THROW(writer.writeString(name, "other.exe"), RegistryException);
    EXPECT_THROW(reader.readString(name), RegistryException);
    EXPECT_EQ("kept.exe", reader.readString("ab"));
}

// Another program deletes a value while the key is listed: the others move up a place, and the
// listing would skip one of them.
TEST_F(RegistryTest, AValueDeletedWhileListingHidesNoOther)
{
    for (const char* name : {"a", "b", "c"})
        scratch.setString(name, "x.exe");
    bool deleted = false;
    platform::ScopedOverride meanwhile(&platform::Win32Api::RegEnumValueU,
                                       [&, real = platform::win32().RegEnumValueU](HKEY key, DWORD index,
                                                                                   std::string& name, LPDWORD type,
                                                                                   LPBYTE data, LPDWORD size) {
                                           const LONG result = real(key, index, name, type, data, size);
                                           if (index == 0 && !deleted) {
                                               deleted = true;
                                               ::RegDeleteKeyValueA(HKEY_CURRENT_USER, SUB_KEY.c_str(), "a");
                                           }
                                           return result;
                                       });
    std::vector<std::string> names;
    for (const RegistryReaderImpl::Value& value : reader.getValues())
        names.push_back(value.name);
    EXPECT_EQ((std::vector<std::string>{"b", "c"}), names);
}

TEST_F(RegistryTest, MissingKeysAndValuesAreTheirOwnExceptions)
{
    EXPECT_EQ("Error when deleteing the registry value. The value did not exist. Entry: " + VALUE + "\n\n" +
                  SystemErrors::map(ERROR_FILE_NOT_FOUND),
              messageOf<RegistryValueNotFoundException>([this] { writer.deleteValue("v"); }));
    EXPECT_EQ("Error when reading a registry key, the value doesn't exist. Entry: " + VALUE + "\n\n" +
                  SystemErrors::map(ERROR_FILE_NOT_FOUND),
              messageOf<RegistryValueNotFoundException>([this] { reader.readString("v"); }));
    EXPECT_EQ("Error when opening a registry key, the key doesn't exist. Key: " + PATH + "\\Missing\n\n" +
                  SystemErrors::map(ERROR_FILE_NOT_FOUND),
              messageOf<RegistryKeyNotFoundException>(
                  [] { RegistryKeyImpl(HKEY_CURRENT_USER, SUB_KEY + "\\Missing", KEY_READ, RegistryKeyImpl::OPEN); }));
    RegistryKeyImpl created(HKEY_CURRENT_USER, SUB_KEY + "\\New", KEY_ALL_ACCESS, RegistryKeyImpl::CREATE);
    EXPECT_EQ(PATH + "\\New", created.getPath());
}

// An indirect text is loaded from its file in the user's language; any other is the text itself.
TEST_F(RegistryTest, AnIndirectTextIsLoadedInTheUsersLanguage)
{
    writer.writeString("plain", "Contoso Updater");
    writer.writeString("v", "@%SystemRoot%\\system32\\contoso.dll,-101");
    LONG answer = ERROR_SUCCESS;
    std::vector<std::string> asked;
    platform::ScopedOverride load(&platform::Win32Api::RegLoadMUIStringU,
                                  [&answer, &asked](HKEY, const std::string& name, std::string& text) {
                                      asked.push_back(name);
                                      text = "Служба обновления";
                                      return answer;
                                  });
    EXPECT_EQ("Contoso Updater", reader.readLocalizedString("plain"));
    EXPECT_EQ("Служба обновления", reader.readLocalizedString("v"));
    EXPECT_EQ(std::vector<std::string>{"v"}, asked);
    answer = ERROR_RESOURCE_NAME_NOT_FOUND;
    EXPECT_EQ("Error when reading a registry key's text in the user's language. Entry: " + VALUE + "\n\n" +
                  SystemErrors::map(ERROR_RESOURCE_NAME_NOT_FOUND),
              messageOf<RegistryException>([this] { reader.readLocalizedString("v"); }));
}

// The codes Wine will not produce for the current user, through the seam: every operation's
// message for each code it tells apart.
TEST_F(RegistryTest, RefusalsNameTheKeyOrValueAndTheSystemText)
{
    struct Refusal {
        std::function<void()> operation;
        LONG code;
        std::string text;
    };
    auto open = [] { RegistryKeyImpl(HKEY_CURRENT_USER, SUB_KEY, KEY_READ, RegistryKeyImpl::OPEN); };
    auto create = [] { RegistryKeyImpl(HKEY_CURRENT_USER, SUB_KEY, KEY_ALL_ACCESS, RegistryKeyImpl::CREATE); };
    auto read = [this] { reader.readString("v"); };
    auto list = [this] { reader.getValues(); };
    auto set = [this] { writer.writeString("v", "x"); };
    auto remove = [this] { writer.deleteValue("v"); };
    const LONG denied = ERROR_ACCESS_DENIED;
    const LONG other = ERROR_INVALID_HANDLE;
    const Refusal refusals[] = {
        {open, denied, "Error when opening a registry key, access is denied. Key: " + PATH + "\n\n"},
        {open, other, "Error when opening a registry key. Key: " + PATH + "\n\n"},
        {create, denied, "Error when creating a registry key, access is denied. Key: " + PATH + "\n\n"},
        {create, other, "Error when creating a registry key. Key: " + PATH + "\n\n"},
        {read, denied, "Error when reading a registry key, access is denied. Entry: " + VALUE + "\n\n"},
        {read, other, "Error when reading a registry key. Entry: " + VALUE + "\n\n"},
        {list, denied,
         "Error when reading a registry key while enumerating a value, access is denied. Entry: " + PATH + "\n\n"},
        {list, ERROR_FILE_NOT_FOUND,
         "Error when reading a registry key, the value doesn't exist. Entry: " + PATH + "\n\n"},
        {list, other, "Error when reading a registry key while enumerating a value. Entry: " + PATH + "\n\n"},
        {set, denied, "Error when setting a registry value, access is denied. Value: " + VALUE + " \n\n"},
        {set, other, "Error when setting a registry value. Value: " + VALUE + "\n\n"},
        {remove, denied, "Error deleting the value, access is denied. Entry: " + VALUE + "\n\n"},
        {remove, other, "Error when deleteing a value. Entry: " + VALUE + "\n\n"},
    };
    for (const Refusal& refusal : refusals) {
        const LONG code = refusal.code;
        auto refuse = [code](auto&&...) { return code; };
        platform::ScopedOverride o(&platform::Win32Api::RegOpenKeyExU, refuse);
        platform::ScopedOverride c(&platform::Win32Api::RegCreateKeyExU, refuse);
        platform::ScopedOverride q(&platform::Win32Api::RegQueryValueExU, refuse);
        platform::ScopedOverride e(&platform::Win32Api::RegEnumValueU, refuse);
        platform::ScopedOverride s(&platform::Win32Api::RegSetValueExU, refuse);
        platform::ScopedOverride d(&platform::Win32Api::RegDeleteValueU, refuse);
        EXPECT_EQ(refusal.text + SystemErrors::map(code), messageOf<RegistryException>(refusal.operation));
        // The class tells callers what went wrong without reading the text.
        if (code == ERROR_ACCESS_DENIED) {
            EXPECT_THROW(refusal.operation(), RegistryAccessDeniedException) << refusal.text;
        } else if (code == ERROR_FILE_NOT_FOUND) {
            EXPECT_THROW(refusal.operation(), RegistryValueNotFoundException) << refusal.text;
        }
    }
}

TEST(RegistryHelpersTest, RootNamesAndExpansion)
{
    EXPECT_EQ("HKEY_CURRENT_CONFIG", RegistryHelpers::getRootKeyName(HKEY_CURRENT_CONFIG));
    EXPECT_EQ("HKEY_USERS", RegistryHelpers::getRootKeyName(HKEY_USERS));
    AssertionRecorder assertions;
    EXPECT_EQ("DUMMY_TO_AVOID_WARNING", RegistryHelpers::getRootKeyName(HKEY_PERFORMANCE_DATA));
    EXPECT_EQ("C:\\plain.exe", RegistryHelpers::expandEnvironmentStrings("C:\\plain.exe"));
    EXPECT_EQ(std::vector<std::string>{"false"}, assertions.expressions()) << "expansion itself is quiet";

    platform::ScopedOverride fail(&platform::Win32Api::ExpandEnvironmentStringsU,
                                  failing(DWORD(0), ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ("Error when expanding enviromental varible.\n\n" + SystemErrors::map(ERROR_NOT_ENOUGH_MEMORY),
              messageOf<RegistryException>([] { RegistryHelpers::expandEnvironmentStrings("%PATH%"); }));
}

} // namespace
