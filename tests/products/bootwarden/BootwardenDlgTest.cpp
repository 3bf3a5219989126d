#include "products/bootwarden/BootwardenDlg.h"

#include "exceptions/MessageBoxReporter.h"
#include "exceptions/IOException.h"
#include "platform/errorresources/SystemErrors.h"
#include "products/bootwarden/LocationConstants.h"
#include "products/bootwarden/StartupConstants.h"
#include "products/bootwarden/database/DataFileCodec.h"
#include "support/DialogDriver.h"
#include "support/Win32Fakes.h"
#include "support/WineFixtures.h"
#include "util/ApplicationConstants.h"
#include "windows/file/WindowsFileHelper.h"

#include <gtest/gtest.h>

using products::bootwarden::BootwardenDlg;
using products::bootwarden::StartupConstants;
using products::bootwarden::StartupItem;
using products::bootwarden::database::DataFileCodec;

namespace {

const char* const RUN_ONCE_TEXT =
    "Each time the system boots, it executes all commands stored under this key, then removes "
    "them. Typical candidates are setup programs that require that you reboot your system to "
    "continue the installation.";
const std::string USER_RUN_PATH = "HKEY_CURRENT_USER\\" + RUN_KEY;

void press(HWND dialog, int button)
{
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
}

std::string windowText(HWND window)
{
    char buffer[4096] = {};
    ::GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

// A whole startup world of its own: every Run-family key emptied, both Startup folders and the
// program's folder in a scratch directory that is also the current one.
class BootwardenDlgTest : public testing::Test {
protected:
    using Script = std::function<void(HWND dialog, const TreeView& tree)>;

    ComApartment com;
    ScratchDirectory dir{"dialog"};
    CurrentDirectory current{dir.path()};
    RegistryScratch machineRun{HKEY_LOCAL_MACHINE, RUN_KEY};
    RegistryScratch machineRunOnce{HKEY_LOCAL_MACHINE, RUN_ONCE_KEY};
    RegistryScratch machineRunOnceEx{HKEY_LOCAL_MACHINE, RUN_ONCE_EX_KEY};
    RegistryScratch userRun{HKEY_CURRENT_USER, RUN_KEY};
    RegistryScratch userRunOnce{HKEY_CURRENT_USER, RUN_ONCE_KEY};
    const std::string startup = dir.file("Startup");
    const std::string common = dir.file("Common");
    ScopedRegistryValue userFolder{HKEY_CURRENT_USER, SHELL_FOLDERS_KEY, STARTUP_VALUE, startup.c_str()};
    ScopedRegistryValue commonFolder{HKEY_LOCAL_MACHINE, SHELL_FOLDERS_KEY, COMMON_STARTUP_VALUE,
                                     common.c_str()};
    MessageBoxRecorder boxes;
    MessageBoxReporter reporter{APPLICATION_NAME};

    void SetUp() override
    {
        ::CreateDirectoryA(startup.c_str(), nullptr);
        ::CreateDirectoryA(common.c_str(), nullptr);
    }

    // Builds the dialog and runs script on its window; the modal run's result.
    INT_PTR run(const Script& script)
    {
        BootwardenDlg dialog(&reporter);
        DialogDriver driver([&script](HWND window) {
            const TreeView tree(::GetDlgItem(window, 1000));
            tree.expandAll();
            script(window, tree);
        });
        return dialog.DoModal();
    }

    void storeDisabled(const std::vector<StartupItem>& items)
    {
        ScratchDirectory::writeFile(dir.file("bootwarden.dat"), DataFileCodec::encode(items));
    }

    void click(HWND dialog, const TreeView& tree, HTREEITEM item, UINT part, UINT code)
    {
        CursorAt cursor(tree.pointOn(item, part));
        notifyFromTree(dialog, code);
    }

    // Right-clicks the item's label and answers the menu with command.
    std::vector<std::string> menuOf(HWND dialog, const TreeView& tree, HTREEITEM item, UINT command = 0)
    {
        MenuRecorder menu(command);
        click(dialog, tree, item, TVHT_ONITEMLABEL, NM_RCLICK);
        return menu.menus().empty() ? std::vector<std::string>{"no menu"} : menu.menus()[0];
    }
};

TEST_F(BootwardenDlgTest, FixedNodesInTheControlsOrderForEachFamily)
{
    const INT_PTR result = run([](HWND dialog, const TreeView& tree) {
        EXPECT_EQ("Bootwarden Center", windowText(dialog));
        EXPECT_EQ((std::vector<std::string>{"Autostart", "Registry"}), tree.children(nullptr));
        EXPECT_EQ((std::vector<std::string>{"All users", "Current User"}),
                  tree.children(tree.find("Registry")));
        EXPECT_EQ((std::vector<std::string>{"Run", "Run Once", "Run Once Ex"}),
                  tree.children(tree.find("Registry/All users")));
        EXPECT_EQ((std::vector<std::string>{"Run", "Run Once"}),
                  tree.children(tree.find("Registry/Current User")));
        EXPECT_EQ((std::vector<std::string>{"All users", "Current user"}),
                  tree.children(tree.find("Autostart")));
        const HTREEITEM run = tree.find("Registry/All users/Run");
        EXPECT_EQ(0, tree.image(run));
        EXPECT_EQ(0, tree.stateImage(run));
        EXPECT_TRUE(tree.children(run).empty());
        press(dialog, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_TRUE(boxes.boxes().empty());

    // Outside the NT family the RunServices keys are locations too.
    RegistryScratch services{HKEY_LOCAL_MACHINE, RUN_SERVICES_KEY};
    RegistryScratch servicesOnce{HKEY_LOCAL_MACHINE, RUN_SERVICES_ONCE_KEY};
    services.setString("Spooler", "spool.exe");
    platform::ScopedOverride windows98(&platform::Win32Api::GetVersionExA, [](LPOSVERSIONINFOA info) {
        info->dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
        return TRUE;
    });
    run([](HWND dialog, const TreeView& tree) {
        EXPECT_EQ((std::vector<std::string>{"Run", "Run Once", "Run Once Ex", "Run Services", "Run Services Once"}),
                  tree.children(tree.find("Registry/All users")));
        EXPECT_EQ(std::vector<std::string>{"Spooler"}, tree.children(tree.find("Registry/All users/Run Services")));
        press(dialog, IDCANCEL);
    });
}

TEST_F(BootwardenDlgTest, LeavesShowEntriesIconsAndCheckImages)
{
    userRun.setString("Tool", "C:\\windows\\system32\\notepad.exe /x");
    userRun.setString("Empty", "");
    storeDisabled({StartupItem(StartupConstants::CURRENT_USER_RUN, StartupConstants::DISABLED, "Old",
                               "old.exe")});
    ScratchDirectory::writeFile(startup + "\\b.exe", "MZ");
    run([](HWND dialog, const TreeView& tree) {
        const std::string location = "Registry/Current User/Run";
        EXPECT_EQ((std::vector<std::string>{"Empty", "Old", "Tool"}), tree.children(tree.find(location)));
        EXPECT_EQ(1, tree.stateImage(tree.find(location + "/Tool")));
        EXPECT_EQ(2, tree.stateImage(tree.find(location + "/Old")));
        EXPECT_GE(tree.image(tree.find(location + "/Tool")), 3) << "the program's own icon";
        EXPECT_EQ(1, tree.image(tree.find(location + "/Empty"))) << "no program, the red cross";
        EXPECT_EQ(std::vector<std::string>{"b.exe"}, tree.children(tree.find("Autostart/Current user")));
        EXPECT_EQ(0, tree.image(tree.find(location)));
        press(dialog, IDOK);
    });
    // Nothing was changed, so OK applies nothing but still writes the data file.
    EXPECT_TRUE(userRun.has("Tool"));
    EXPECT_EQ(DataFileCodec::encode({StartupItem(5, 1, "Old", "old.exe")}),
              ScratchDirectory::readFile(dir.file("bootwarden.dat")));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(BootwardenDlgTest, UnreadableLocationShowsTheWarningAndItsReasonInInfo)
{
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, RUN_ONCE_EX_KEY.c_str());
    run([this](HWND dialog, const TreeView& tree) {
        const HTREEITEM broken = tree.find("Registry/All users/Run Once Ex");
        EXPECT_EQ(2, tree.image(broken));
        EXPECT_EQ(std::vector<std::string>{"104 &Info"}, menuOf(dialog, tree, broken, 104));
        press(dialog, IDCANCEL);
    });
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ(std::string("General Information:\n") + RUN_ONCE_TEXT +
                  "\n\nError description:\nError when opening a registry key, the key doesn't "
                  "exist. Key: HKEY_LOCAL_MACHINE\\" +
                  RUN_ONCE_EX_KEY + "\n\n" + SystemErrors::map(ERROR_FILE_NOT_FOUND) +
                  "\n\nIf you have questions about this key, please include the text in this "
                  "message in you email. Press CTRL+C to copy it.",
              boxes.boxes()[0].text);
    EXPECT_EQ("Bootwarden Center Information", boxes.boxes()[0].title);
}

TEST_F(BootwardenDlgTest, ClicksAndMenusOnlyMarkEntriesUntilOk)
{
    userRun.setString("Tool", "tool.exe");
    storeDisabled({StartupItem(StartupConstants::CURRENT_USER_RUN, StartupConstants::DISABLED, "Old", "o.exe")});
    run([this](HWND dialog, const TreeView& tree) {
        const HTREEITEM tool = tree.find("Registry/Current User/Run/Tool");
        click(dialog, tree, tool, TVHT_ONITEMLABEL, NM_CLICK);
        EXPECT_EQ(1, tree.stateImage(tool)) << "a click on the label changes nothing";
        click(dialog, tree, tool, TVHT_ONITEMSTATEICON, NM_CLICK);
        EXPECT_EQ(2, tree.stateImage(tool));
        EXPECT_EQ((std::vector<std::string>{"101 &Enable", "102 &Delete", "103 &Run"}), menuOf(dialog, tree, tool, 101));
        EXPECT_EQ(1, tree.stateImage(tool));
        EXPECT_EQ((std::vector<std::string>{"100 &Disable", "102 &Delete", "103 &Run"}), menuOf(dialog, tree, tool, 100));
        EXPECT_EQ(2, tree.stateImage(tool));
        EXPECT_EQ(std::vector<std::string>{"104 &Info"}, menuOf(dialog, tree, tree.find("Registry")));

        const HWND control = ::GetDlgItem(dialog, 1000);
        RECT client = {};
        ::GetClientRect(control, &client);
        POINT empty = {5, client.bottom - 5};
        ::ClientToScreen(control, &empty);
        MenuRecorder menu;
        CursorAt cursor(empty);
        notifyFromTree(dialog, NM_RCLICK);
        EXPECT_EQ(std::vector<std::vector<std::string>>{{}}, menu.menus()) << "empty space offers nothing";
        press(dialog, IDCANCEL);
    });
    EXPECT_TRUE(userRun.has("Tool")) << "Cancel drops the pending change";
    EXPECT_EQ(DataFileCodec::encode({StartupItem(5, 1, "Old", "o.exe")}),
              ScratchDirectory::readFile(dir.file("bootwarden.dat")));
}

TEST_F(BootwardenDlgTest, DeleteAsksFirstAndIsFinal)
{
    userRun.setString("Tool", "tool.exe");
    storeDisabled({StartupItem(StartupConstants::CURRENT_USER_RUN, StartupConstants::DISABLED, "Old", "o.exe")});
    run([this](HWND dialog, const TreeView& tree) {
        {
            MessageBoxRecorder no(IDNO);
            menuOf(dialog, tree, tree.find("Registry/Current User/Run/Tool"), 102);
            ASSERT_EQ(1u, no.boxes().size());
            EXPECT_EQ("Are you sure you want to delete this key?", no.boxes()[0].text);
            EXPECT_EQ("Question", no.boxes()[0].title);
        }
        EXPECT_NE(nullptr, tree.find("Registry/Current User/Run/Tool"));
        EXPECT_TRUE(userRun.has("Tool"));
        MessageBoxRecorder yes(IDYES);
        menuOf(dialog, tree, tree.find("Registry/Current User/Run/Tool"), 102);
        menuOf(dialog, tree, tree.find("Registry/Current User/Run/Old"), 102);
        EXPECT_TRUE(tree.children(tree.find("Registry/Current User/Run")).empty());
        press(dialog, IDCANCEL);
    });
    EXPECT_FALSE(userRun.has("Tool")) << "Cancel does not bring a deleted entry back";
    EXPECT_EQ(std::string(4, '\0'), ScratchDirectory::readFile(dir.file("bootwarden.dat")));
}

TEST_F(BootwardenDlgTest, RunStartsProgramsHandsTheRestToTheShellAndShowsFailures)
{
    userRun.setString("Tool", "\"C:\\Program Files\\Tool\\tool.exe\" /min");
    userRun.setString("Doc", "C:\\docs\\readme.txt");
    std::vector<std::string> started;
    platform::ScopedOverride shell(&platform::Win32Api::ShellExecuteA,
                                   [&started](HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT) {
                                       started.push_back(std::string("shell ") + verb + " " + file);
                                       return reinterpret_cast<HINSTANCE>(42);
                                   });
    platform::ScopedOverride create(&platform::Win32Api::CreateProcessA, failing(FALSE, ERROR_FILE_NOT_FOUND));
    run([this](HWND dialog, const TreeView& tree) {
        menuOf(dialog, tree, tree.find("Registry/Current User/Run/Tool"), 103);
        menuOf(dialog, tree, tree.find("Registry/Current User/Run/Doc"), 103);
        press(dialog, IDCANCEL);
    });
    EXPECT_EQ(std::vector<std::string>{"shell open C:\\docs\\readme.txt"}, started);
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ("Couldn't create the process '\"C:\\Program Files\\Tool\\tool.exe\" /min'\nCurrent working "
              "directory: " + dir.path() + "\n" + SystemErrors::map(ERROR_FILE_NOT_FOUND),
              boxes.boxes()[0].text);
    EXPECT_EQ("Bootwarden Center Error", boxes.boxes()[0].title);
}

TEST_F(BootwardenDlgTest, OkAppliesChangedEntriesReportsFailuresAndSaves)
{
    for (const char* name : {"A", "B", "C", "D"})
        userRun.setString(name, std::string(name) + ".exe");
    platform::ScopedOverride refuseA(&platform::Win32Api::RegDeleteValueA, [](HKEY key, LPCSTR name) {
        return std::string(name) == "A" ? LONG(ERROR_ACCESS_DENIED) : ::RegDeleteValueA(key, name);
    });
    const INT_PTR result = run([this](HWND dialog, const TreeView& tree) {
        for (const char* name : {"A", "B", "C"})
            click(dialog, tree, tree.find(std::string("Registry/Current User/Run/") + name),
                  TVHT_ONITEMSTATEICON, NM_CLICK);
        // D is disabled and enabled again: nothing to apply.
        const HTREEITEM d = tree.find("Registry/Current User/Run/D");
        click(dialog, tree, d, TVHT_ONITEMSTATEICON, NM_CLICK);
        click(dialog, tree, d, TVHT_ONITEMSTATEICON, NM_CLICK);
        press(dialog, IDOK);
    });
    EXPECT_EQ(IDOK, result);
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ("Error while disabling an entry.\n\nType: 5\nState: 1\nValue: A\nData: A.exe\n\n"
              "Error deleting the value, access is denied. Entry: " +
                  USER_RUN_PATH + "\\A\n\n" + SystemErrors::map(ERROR_ACCESS_DENIED),
              boxes.boxes()[0].text);
    EXPECT_TRUE(userRun.has("A"));
    EXPECT_FALSE(userRun.has("B"));
    EXPECT_FALSE(userRun.has("C"));
    EXPECT_TRUE(userRun.has("D"));
    EXPECT_EQ(DataFileCodec::encode({StartupItem(5, 1, "B", "B.exe"), StartupItem(5, 1, "C", "C.exe")}),
              ScratchDirectory::readFile(dir.file("bootwarden.dat")));
}

TEST_F(BootwardenDlgTest, FailedSaveOnOkLeavesTheModalRun)
{
    platform::ScopedOverride replace(&platform::Win32Api::MoveFileExA, failing(FALSE, ERROR_DISK_FULL));
    try {
        run([](HWND dialog, const TreeView&) { press(dialog, IDOK); });
        FAIL() << "no exception";
    } catch (const io::file::CouldNotSaveFileException& e) {
        EXPECT_EQ(0u, e.getMessage().find("An error occured when trying to replace the file with "
                                          "its new contents.\nFilename: 'bootwarden.dat'"));
    }
}

TEST_F(BootwardenDlgTest, SelectingALeafShowsItsCommandLine)
{
    userRun.setString("Tool", "\"C:\\Tool\\tool.exe\" /a /b");
    run([](HWND dialog, const TreeView& tree) {
        const HWND control = ::GetDlgItem(dialog, 1000);
        ::SendMessageA(control, TVM_SELECTITEM, TVGN_CARET,
                       reinterpret_cast<LPARAM>(tree.find("Registry/Current User/Run/Tool")));
        EXPECT_EQ("\"C:\\Tool\\tool.exe\" /a /b", windowText(::GetDlgItem(dialog, 1002)));
        ::SendMessageA(control, TVM_SELECTITEM, TVGN_CARET,
                       reinterpret_cast<LPARAM>(tree.find("Registry")));
        EXPECT_EQ("", windowText(::GetDlgItem(dialog, 1002)));
        press(dialog, IDCANCEL);
    });
}

TEST_F(BootwardenDlgTest, HelpOpensTheManualOrSaysWhyNot)
{
    std::string opened;
    {
        platform::ScopedOverride shell(&platform::Win32Api::ShellExecuteA,
                                       [&opened](HWND, LPCSTR verb, LPCSTR file, LPCSTR, LPCSTR, INT) {
                                           opened = std::string(verb) + " " + file;
                                           return reinterpret_cast<HINSTANCE>(42);
                                       });
        run([](HWND dialog, const TreeView&) {
            press(dialog, 1012);
            press(dialog, IDCANCEL);
        });
    }
    EXPECT_EQ("open file://" + dir.path() + "manual.html", opened);

    platform::ScopedOverride refused(
        &platform::Win32Api::ShellExecuteA,
        failing(reinterpret_cast<HINSTANCE>(SE_ERR_NOASSOC), ERROR_NO_ASSOCIATION));
    run([](HWND dialog, const TreeView&) {
        press(dialog, 1012);
        platform::ScopedOverride noDirectory(&platform::Win32Api::GetCurrentDirectoryA,
                                             failing(DWORD(0), ERROR_ACCESS_DENIED));
        press(dialog, 1012);
        press(dialog, IDCANCEL);
    });
    ASSERT_EQ(2u, boxes.boxes().size());
    EXPECT_EQ("Couldn't launch your browser with the help file.\nError when trying to run command "
              "(ShellExecute) file://" +
                  dir.path() + "manual.html\n" + SystemErrors::map(ERROR_NO_ASSOCIATION) +
                  "\nPlease try to open the file (manual.html) manually from explorer.",
              boxes.boxes()[0].text);
    EXPECT_EQ("An exception was caught when trying to view the help file.\nCouldn't get the "
              "current directory.\n " +
                  SystemErrors::map(ERROR_ACCESS_DENIED) +
                  "\n\nHowever you can browse these files manually from explorer.",
              boxes.boxes()[1].text);
}

TEST_F(BootwardenDlgTest, AboutShowsNameAndVersion)
{
    run([](HWND dialog, const TreeView&) {
        const HMENU menu = ::GetSystemMenu(dialog, FALSE);
        char text[32] = {};
        ::GetMenuStringA(menu, ::GetMenuItemCount(menu) - 1, text, sizeof text, MF_BYPOSITION);
        EXPECT_EQ("&About..", std::string(text));
        ::SendMessageA(dialog, WM_SYSCOMMAND, 0x10, 0);
        press(dialog, IDCANCEL);
    });
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ("Bootwarden Center 1.01", boxes.boxes()[0].text);
    EXPECT_EQ("Bootwarden Center Information", boxes.boxes()[0].title);
}

TEST_F(BootwardenDlgTest, DamagedDataFileIsReportedOnceAndItsCompleteEntriesShown)
{
    const std::string whole = DataFileCodec::encode({StartupItem(5, 1, "Kept", "k.exe")});
    ScratchDirectory::writeFile(dir.file("bootwarden.dat"),
                                std::string("\x02", 1) + whole.substr(1) + std::string("\x05\0\0\0", 4));
    run([](HWND dialog, const TreeView& tree) {
        EXPECT_EQ(std::vector<std::string>{"Kept"}, tree.children(tree.find("Registry/Current User/Run")));
        press(dialog, IDCANCEL);
    });
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ(0u, boxes.boxes()[0].text.find("The data file bootwarden.dat is damaged."));
}

} // namespace
