#include "windows/registry/RegistryException.h"
#include "windows/registry/RegistryHelpers.h"
#include "windows/registry/RegistryKeyImpl.h"
#include "windows/registry/RegistryReaderImpl.h"
#include "windows/registry/RegistryWriterImpl.h"

#include "platform/Win32Api.h"
#include "platform/errorresources/SystemErrors.h"
#include "support/AssertionRecorder.h"
#include "support/WineFixtures.h"
#include "support/Win32Fakes.h"

#include <gtest/gtest.h>

using namespace windows::registry;

namespace {

const std::string SUB_KEY = "Software\\BootwardenTest\\Registry";
const std::string PATH = "HKEY_CURRENT_USER\\" + SUB_KEY;

std::string errorText(LONG code)
{
    return SystemErrors::map(code);
}

template <class Exception, class Action>
std::string messageOf(Action action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.getMessage();
    }
    return "no exception";
}

class RegistryTest : public testing::Test {
protected:
    RegistryScratch scratch{HKEY_CURRENT_USER, SUB_KEY};

    RegistryReaderImpl::Values list()
    {
        RegistryKeyImpl key(HKEY_CURRENT_USER, SUB_KEY, KEY_READ, RegistryKeyImpl::OPEN);
        return RegistryReaderImpl(key).getValues();
    }
};

TEST_F(RegistryTest, EmptyKeyListsNothing)
{
    EXPECT_TRUE(list().empty());
}

TEST_F(RegistryTest, ListsValuesInEnumerationOrderWithTextByType)
{
    ::SetEnvironmentVariableA("BOOTWARDEN_DIR", "C:\\bw");
    scratch.setString("zeta", "%BOOTWARDEN_DIR%\\z.exe");
    scratch.set("alpha", REG_EXPAND_SZ, std::string("%BOOTWARDEN_DIR%\\a.exe\0", 22));
    scratch.set("count", REG_DWORD, std::string("\x2a\0\0\0", 4));
    scratch.set("multi", REG_MULTI_SZ, std::string("a\0bc\0\0", 6));

    // The registry decides the order; Wine keeps a key's values sorted by name.
    const RegistryReaderImpl::Values values = list();
    ASSERT_EQ(4u, values.size());
    EXPECT_EQ(std::make_pair(std::string("alpha"), std::string("C:\\bw\\a.exe")), values[0]);
    EXPECT_EQ(std::make_pair(std::string("count"), std::string("\x2a\0\0\0", 4)), values[1]);
    EXPECT_EQ(std::make_pair(std::string("multi"), std::string("a\0bc\0\0", 6)), values[2]);
    EXPECT_EQ(std::make_pair(std::string("zeta"), std::string("%BOOTWARDEN_DIR%\\z.exe")), values[3]);
}

TEST_F(RegistryTest, LongValuesAndNamesAreListedWholeBesideShortOnes)
{
    const std::string longCommand = "C:\\Program Files\\Tool\\tool.exe " + std::string(5000, 'x');
    const std::string longName(300, 'n');
    scratch.setString("a short", "a.exe");
    scratch.setString(longName, longCommand);
    scratch.setString("z short", "z.exe");

    const RegistryReaderImpl::Values values = list();
    ASSERT_EQ(3u, values.size());
    EXPECT_EQ("a.exe", values[0].second);
    EXPECT_EQ(longName, values[1].first);
    EXPECT_EQ(longCommand, values[1].second);
    EXPECT_EQ("z.exe", values[2].second);

    RegistryKeyImpl key(HKEY_CURRENT_USER, SUB_KEY, KEY_READ, RegistryKeyImpl::OPEN);
    EXPECT_EQ(longCommand, RegistryReaderImpl(key).readString(longName));
}

TEST_F(RegistryTest, WriteStringStoresNoNulAndReadsBack)
{
    DWORD sizeWritten = 0;
    {
        platform::ScopedOverride set(
            &platform::Win32Api::RegSetValueExA,
            [&sizeWritten](HKEY key, LPCSTR name, DWORD reserved, DWORD type, const BYTE* data,
                           DWORD size) {
                sizeWritten = size;
                return ::RegSetValueExA(key, name, reserved, type, data, size);
            });
        RegistryKeyImpl key(HKEY_CURRENT_USER, SUB_KEY, KEY_WRITE, RegistryKeyImpl::OPEN);
        RegistryWriterImpl(key).writeString("cmd", "C:\\x.exe /q");
    }
    EXPECT_EQ(11u, sizeWritten);
    DWORD type = 0;
    scratch.get("cmd", &type);
    EXPECT_EQ(DWORD(REG_SZ), type);
    RegistryKeyImpl key(HKEY_CURRENT_USER, SUB_KEY, KEY_READ, RegistryKeyImpl::OPEN);
    RegistryReaderImpl reader(key);
    EXPECT_EQ("C:\\x.exe /q", reader.readString("cmd"));
    EXPECT_EQ("C:\\x.exe /q", reader.getValues()[0].second);
    EXPECT_TRUE(reader.valueExists("cmd"));
    EXPECT_FALSE(reader.valueExists("other"));
}

TEST_F(RegistryTest, ReadStringTakesTheFirstStringAndExpands)
{
    ::SetEnvironmentVariableA("BOOTWARDEN_DIR", "C:\\bw");
    scratch.set("multi", REG_MULTI_SZ, std::string("first\0second\0\0", 14));
    scratch.set("expand", REG_EXPAND_SZ, std::string("%BOOTWARDEN_DIR%\\s\0", 19));
    RegistryKeyImpl key(HKEY_CURRENT_USER, SUB_KEY, KEY_READ, RegistryKeyImpl::OPEN);
    RegistryReaderImpl reader(key);
    EXPECT_EQ("first", reader.readString("multi"));
    EXPECT_EQ("C:\\bw\\s", reader.readString("expand"));
}

TEST_F(RegistryTest, IntsRoundTripLittleEndian)
{
    RegistryKeyImpl key(HKEY_CURRENT_USER, SUB_KEY, KEY_READ | KEY_WRITE, RegistryKeyImpl::OPEN);
    RegistryWriterImpl(key).writeInt("n", 0x01020304, REG_DWORD);
    EXPECT_EQ(std::string("\x04\x03\x02\x01", 4), scratch.get("n"));
    EXPECT_EQ(0x01020304, RegistryReaderImpl(key).readInt("n"));
    scratch.set("short", REG_BINARY, std::string("\x05\x01", 2));
    EXPECT_EQ(0x105, RegistryReaderImpl(key).readInt("short"));
}

TEST_F(RegistryTest, DeletingAMissingValueThrowsValueNotFound)
{
    RegistryKeyImpl key(HKEY_CURRENT_USER, SUB_KEY, KEY_WRITE, RegistryKeyImpl::OPEN);
    EXPECT_EQ("Error when deleteing the registry value. The value did not exist. Entry: " + PATH +
                  "\\gone\n\n" + errorText(ERROR_FILE_NOT_FOUND),
              messageOf<RegistryValueNotFoundException>(
                  [&] { RegistryWriterImpl(key).deleteValue("gone"); }));
}

TEST_F(RegistryTest, ReadingAMissingValueThrowsValueNotFound)
{
    RegistryKeyImpl key(HKEY_CURRENT_USER, SUB_KEY, KEY_READ, RegistryKeyImpl::OPEN);
    EXPECT_EQ("Error when reading a registry key, the value doesn't exist. Entry: " + PATH +
                  "\\gone\n\n" + errorText(ERROR_FILE_NOT_FOUND),
              messageOf<RegistryValueNotFoundException>(
                  [&] { RegistryReaderImpl(key).readString("gone"); }));
}

TEST_F(RegistryTest, OpeningAMissingKeyNamesIt)
{
    EXPECT_EQ("Error when opening a registry key, the key doesn't exist. Key: " + PATH +
                  "\\Missing\n\n" + errorText(ERROR_FILE_NOT_FOUND),
              messageOf<RegistryKeyNotFoundException>([] {
                  RegistryKeyImpl(HKEY_CURRENT_USER, SUB_KEY + "\\Missing", KEY_READ,
                                  RegistryKeyImpl::OPEN);
              }));
}

TEST_F(RegistryTest, CreateMakesTheKeyAndClosesIt)
{
    int closed = 0;
    platform::ScopedOverride close(&platform::Win32Api::RegCloseKey, [&closed](HKEY key) {
        ++closed;
        return ::RegCloseKey(key);
    });
    {
        RegistryKeyImpl key(HKEY_CURRENT_USER, SUB_KEY + "\\New", KEY_ALL_ACCESS,
                            RegistryKeyImpl::CREATE);
        EXPECT_EQ(PATH + "\\New", key.getPath());
    }
    EXPECT_EQ(1, closed);
    RegistryKeyImpl reopened(HKEY_CURRENT_USER, SUB_KEY + "\\New", KEY_READ, RegistryKeyImpl::OPEN);
}

TEST_F(RegistryTest, WrongModesAreReported)
{
    AssertionRecorder assertions;
    RegistryKeyImpl created(HKEY_CURRENT_USER, SUB_KEY, KEY_READ, RegistryKeyImpl::CREATE);
    RegistryKeyImpl unopened(HKEY_CURRENT_USER, SUB_KEY, KEY_READ, 7);
    EXPECT_EQ(nullptr, unopened.getKey());
    EXPECT_EQ((std::vector<std::string>{"securityAccess & KEY_CREATE_SUB_KEY", "false", "_key != 0"}),
              assertions.expressions());
}

// Access denied and the other codes Wine does not produce for the current user, through the
// seam: one row per operation and code, with the exact message.
struct Refusal {
    const char* name;
    LONG code;
    std::string expected;
};

class RegistryRefusalTest : public RegistryTest, public testing::WithParamInterface<Refusal> {};

TEST_P(RegistryRefusalTest, MessageNamesTheKeyAndTheSystemText)
{
    const Refusal& refusal = GetParam();
    const LONG code = refusal.code;
    auto refuse = [code](auto&&...) { return code; };
    const std::string name = refusal.name;
    std::string message;
    try {
        if (name.rfind("open", 0) == 0) {
            platform::ScopedOverride fail(&platform::Win32Api::RegOpenKeyExA, refuse);
            RegistryKeyImpl(HKEY_CURRENT_USER, SUB_KEY, KEY_READ, RegistryKeyImpl::OPEN);
        } else if (name.rfind("create", 0) == 0) {
            platform::ScopedOverride fail(&platform::Win32Api::RegCreateKeyExA, refuse);
            RegistryKeyImpl(HKEY_CURRENT_USER, SUB_KEY, KEY_ALL_ACCESS, RegistryKeyImpl::CREATE);
        } else if (name.rfind("read", 0) == 0) {
            RegistryKeyImpl key(HKEY_CURRENT_USER, SUB_KEY, KEY_READ, RegistryKeyImpl::OPEN);
            platform::ScopedOverride fail(&platform::Win32Api::RegQueryValueExA, refuse);
            RegistryReaderImpl(key).readString("v");
        } else if (name.rfind("enumerate", 0) == 0) {
            RegistryKeyImpl key(HKEY_CURRENT_USER, SUB_KEY, KEY_READ, RegistryKeyImpl::OPEN);
            platform::ScopedOverride fail(&platform::Win32Api::RegEnumValueA, refuse);
            RegistryReaderImpl(key).getValues();
        } else if (name.rfind("set", 0) == 0) {
            RegistryKeyImpl key(HKEY_CURRENT_USER, SUB_KEY, KEY_WRITE, RegistryKeyImpl::OPEN);
            platform::ScopedOverride fail(&platform::Win32Api::RegSetValueExA, refuse);
            RegistryWriterImpl(key).writeString("v", "x");
        } else {
            RegistryKeyImpl key(HKEY_CURRENT_USER, SUB_KEY, KEY_WRITE, RegistryKeyImpl::OPEN);
            platform::ScopedOverride fail(&platform::Win32Api::RegDeleteValueA, refuse);
            RegistryWriterImpl(key).deleteValue("v");
        }
    } catch (const RegistryException& e) {
        message = e.getMessage();
    }
    EXPECT_EQ(refusal.expected + errorText(code), message);
}

const std::string VALUE = PATH + "\\v";

INSTANTIATE_TEST_SUITE_P(
    Codes, RegistryRefusalTest,
    testing::Values(
        Refusal{"openDenied", ERROR_ACCESS_DENIED,
                "Error when opening a registry key, access is denied. Key: " + PATH + "\n\n"},
        Refusal{"openOther", ERROR_INVALID_HANDLE,
                "Error when opening a registry key. Key: " + PATH + "\n\n"},
        Refusal{"createDenied", ERROR_ACCESS_DENIED,
                "Error when creating a registry key, access is denied. Key: " + PATH + "\n\n"},
        Refusal{"createOther", ERROR_INVALID_HANDLE,
                "Error when creating a registry key. Key: " + PATH + "\n\n"},
        Refusal{"readDenied", ERROR_ACCESS_DENIED,
                "Error when reading a registry key, access is denied. Entry: " + VALUE + "\n\n"},
        Refusal{"readOther", ERROR_INVALID_HANDLE,
                "Error when reading a registry key. Entry: " + VALUE + "\n\n"},
        Refusal{"enumerateDenied", ERROR_ACCESS_DENIED,
                "Error when reading a registry key while enumerating a value, access is denied. "
                "Entry: " + PATH + "\n\n"},
        Refusal{"enumerateMissing", ERROR_FILE_NOT_FOUND,
                "Error when reading a registry key, the value doesn't exist. Entry: " + PATH + "\n\n"},
        Refusal{"enumerateOther", ERROR_INVALID_HANDLE,
                "Error when reading a registry key while enumerating a value. Entry: " + PATH + "\n\n"},
        Refusal{"setDenied", ERROR_ACCESS_DENIED,
                "Error when setting a registry value, access is denied. Value: " + VALUE + " \n\n"},
        Refusal{"setOther", ERROR_INVALID_HANDLE,
                "Error when setting a registry value. Value: " + VALUE + "\n\n"},
        Refusal{"deleteDenied", ERROR_ACCESS_DENIED,
                "Error deleting the value, access is denied. Entry: " + VALUE + "\n\n"},
        Refusal{"deleteOther", ERROR_INVALID_HANDLE,
                "Error when deleteing a value. Entry: " + VALUE + "\n\n"}),
    [](const testing::TestParamInfo<Refusal>& info) { return info.param.name; });

TEST(RegistryHelpersTest, RootNamesAndTheUnknownRoot)
{
    EXPECT_EQ("HKEY_CLASSES_ROOT", RegistryHelpers::getRootKeyName(HKEY_CLASSES_ROOT));
    EXPECT_EQ("HKEY_CURRENT_CONFIG", RegistryHelpers::getRootKeyName(HKEY_CURRENT_CONFIG));
    EXPECT_EQ("HKEY_CURRENT_USER", RegistryHelpers::getRootKeyName(HKEY_CURRENT_USER));
    EXPECT_EQ("HKEY_LOCAL_MACHINE", RegistryHelpers::getRootKeyName(HKEY_LOCAL_MACHINE));
    EXPECT_EQ("HKEY_USERS", RegistryHelpers::getRootKeyName(HKEY_USERS));
    AssertionRecorder assertions;
    EXPECT_EQ("DUMMY_TO_AVOID_WARNING", RegistryHelpers::getRootKeyName(HKEY_PERFORMANCE_DATA));
    ASSERT_EQ(1u, assertions.reports().size());
    EXPECT_NE(std::string::npos,
              assertions.reports()[0].find("File: windows/registry/RegistryHelpers\nLine: 201"));
}

TEST(RegistryHelpersTest, ExpansionKeepsPlainTextAndReportsFailure)
{
    AssertionRecorder assertions;
    EXPECT_EQ("C:\\plain\\text.exe", RegistryHelpers::expandEnvironmentStrings("C:\\plain\\text.exe"));
    EXPECT_EQ("", RegistryHelpers::expandEnvironmentStrings(""));
    EXPECT_TRUE(assertions.reports().empty());

    {
        platform::ScopedOverride shortAnswer(
            &platform::Win32Api::ExpandEnvironmentStringsA,
            [](LPCSTR text, LPSTR buffer, DWORD size) {
                const DWORD needed = ::ExpandEnvironmentStringsA(text, buffer, size);
                return size == 0 ? needed : needed - 2;
            });
        RegistryHelpers::expandEnvironmentStrings("abc");
        EXPECT_EQ(std::vector<std::string>{"pathSize == expandedSize || pathSize == expandedSize - 1"},
                  assertions.expressions());
    }

    platform::ScopedOverride fail(&platform::Win32Api::ExpandEnvironmentStringsA,
                                  failing(DWORD(0), ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_EQ("Error when expanding enviromental varible.\n\n" + errorText(ERROR_NOT_ENOUGH_MEMORY),
              messageOf<RegistryException>(
                  [] { RegistryHelpers::expandEnvironmentStrings("%PATH%"); }));
}

} // namespace
