#include "products/bootwarden/window/BootwardenDlg.h"
#include "products/bootwarden/console/BootwardenCli.h"
#include "products/bootwarden/inspection/ProgramInspector.h"
#include "products/bootwarden/StartupLocations.h"

#include "exceptions/IOException.h"
#include "exceptions/MessageBoxReporter.h"
#include "platform/errorresources/SystemErrors.h"
#include "products/bootwarden/database/DataFileCodec.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "resources/resource.h"
#include "support/DialogDriver.h"
#include "support/Files.h"
#include "support/Locations.h"
#include "support/Records.h"
#include "support/StartupWorld.h"
#include "treereader/TreeReader.h"
#include "util/ApplicationConstants.h"
#include "util/parser/JsonValue.h"
#include "windows/registry/RegistryEditor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <functional>

using exceptions::MessageBoxReporter;
using platform::errorresources::SystemErrors;
using util::APPLICATION_NAME;
using util::assertion::check;
using util::parser::JsonValue;

using products::bootwarden::LocationTable;
using products::bootwarden::StartupItem;
using products::bootwarden::database::DataFileCodec;
using products::bootwarden::database::RegistryBackup;
using products::bootwarden::inspection::ProgramInspector;
using products::bootwarden::window::BootwardenDlg;
using products::bootwarden::window::StartupTree;

namespace {

const int RUN = StartupConstants::CURRENT_USER_RUN;
const std::string USER_RUN = LocationTable::treePath(RUN) + "/";
const UINT INFO = static_cast<UINT>(StartupTree::Command::Info);
const std::string CHINESE = "\xe5\x90\xaf\xe5\x8a\xa8\xe5\x99\xa8";
const std::string CYRILLIC_PATH = "C:\\Users\\\xd0\x9f\xd1\x91\xd1\x82\xd1\x80\\app.exe /min";

void press(HWND dialog, int button)
{
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, button)));
}

void key(const TreeReader& tree, WORD virtualKey)
{
    ::SendMessageA(tree.handle(), WM_KEYDOWN, virtualKey, 0);
}

void select(const TreeReader& tree, HTREEITEM item)
{
    ::SendMessageA(tree.handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

std::string windowText(HWND window)
{
    wchar_t buffer[4096] = {};
    ::GetWindowTextW(window, buffer, 4096);
    return utf8(buffer);
}

// Lets the window handle what other threads posted to it until done() holds; false after
// milliseconds (ten seconds unless told).
bool pumpUntil(const std::function<bool()>& done, int milliseconds = 10000)
{
    for (int waited = 0; waited < milliseconds; waited += 10) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        if (done())
            return true;
        ::Sleep(10);
    }
    return false;
}

class BootwardenDlgTest : public testing::Test {
protected:
    using Script = std::function<void(HWND dialog, const TreeReader& tree)>;

    StartupWorld world{"dialog"};
    const RegistryScratch& userRun = world.key(RUN);
    MessageBoxRecorder boxes;
    MessageBoxReporter reporter{APPLICATION_NAME};

    void SetUp() override
    {
        userRun.setString("Tool", "C:\\windows\\system32\\notepad.exe /x");
        userRun.setString("Empty", "");
        writeFile(world.file("bootwarden.dat"), DataFileCodec::encode({StartupItem(RUN, 1, "Old", "old.exe")}));
    }

    // Builds the dialog and runs script on its window; the modal run's result.
    INT_PTR run(const Script& script)
    {
        BootwardenDlg dialog(&reporter);
        DialogDriver driver([&script](HWND window) { script(window, TreeReader(::GetDlgItem(window, IDC_TREE))); });
        const INT_PTR result = dialog.DoModal();
        EXPECT_TRUE(driver.ran()) << "the dialog's window was never made";
        return result;
    }

    void click(HWND dialog, const TreeReader& tree, HTREEITEM item, UINT part, UINT code)
    {
        CursorAt cursor(tree.pointOn(item, part));
        notifyFromTree(dialog, code);
    }

    // Right-clicks the item's label and answers the menu with command; the menu's entries.
    std::vector<std::vector<std::string>> menuOf(HWND dialog, const TreeReader& tree, HTREEITEM item, UINT command = 0)
    {
        MenuRecorder menu(command);
        click(dialog, tree, item, TVHT_ONITEMLABEL, NM_RCLICK);
        return menu.menus();
    }
};

TEST_F(BootwardenDlgTest, StartsCollapsedWithEveryLocationAndEntry)
{
    writeFile(world.folder(StartupConstants::USER_STARTUP) + "b.exe", "MZ");
    world.key(StartupConstants::LOCAL_MACHINE_RUN_32).setString("Tray", "tray.exe");
    world.key(StartupConstants::CURRENT_USER_RUN_ONCE).setString(CHINESE, CYRILLIC_PATH);
    userRun.setString("Tool again", "C:\\windows\\system32\\notepad.exe");
    std::vector<std::string> extracted;
    platform::ScopedOverride icons(&platform::Win32Api::ExtractAssociatedIconU,
                                   [&extracted, real = platform::win32().ExtractAssociatedIconU](
                                       HINSTANCE instance, const std::string& path, LPWORD index) {
                                       extracted.push_back(path);
                                       return real(instance, path, index);
                                   });
    run([&extracted](HWND dialog, const TreeReader& tree) {
        EXPECT_TRUE(extracted.empty()) << "no icon is taken before its entry is shown";
        EXPECT_EQ("Bootwarden Center", windowText(dialog));
        EXPECT_FALSE(tree.expanded(TreeView_GetRoot(tree.handle()))) << "the tree starts collapsed";
        EXPECT_TRUE(::GetWindowLongA(tree.handle(), GWL_STYLE) & TVS_SHOWSELALWAYS);
        EXPECT_EQ((std::vector<std::string>{"Autostart", "Registry", "Services"}), tree.children(nullptr))
            << "the prefix has automatic services of its own";
        EXPECT_EQ((std::vector<std::string>{"Run", "Run (32-bit)", "Run Once", "Run Once Ex"}),
                  tree.children(tree.find("Registry/All users")))
            << "Windows NT: no Run Services; a place the program added only with an entry (the 32-bit view's)";
        EXPECT_EQ((std::vector<std::string>{"Run", "Run Once"}), tree.children(tree.find("Registry/Current User")));
        EXPECT_EQ((std::vector<std::string>{"All users", "Current user"}), tree.children(tree.find("Autostart")));
        EXPECT_EQ(std::vector<std::string>{"Tray"}, tree.children(tree.find("Registry/All users/Run (32-bit)")));
        EXPECT_EQ((std::vector<std::string>{"Empty", "Old", "Tool", "Tool again"}), tree.children(tree.find(USER_RUN)));
        EXPECT_EQ(1, tree.stateImage(tree.find(USER_RUN + "Tool")));
        EXPECT_EQ(2, tree.stateImage(tree.find(USER_RUN + "Old")));
        const int icon = tree.image(tree.find(USER_RUN + "Tool"));
        EXPECT_GE(icon, 4) << "the program's own icon";
        EXPECT_EQ(icon, tree.image(tree.find(USER_RUN + "Tool again")));
        EXPECT_EQ(std::vector<std::string>{"C:\\windows\\system32\\notepad.exe"}, extracted) << "one program, one icon";
        EXPECT_EQ(1, tree.image(tree.find(USER_RUN + "Empty"))) << "no program, the red cross";
        EXPECT_EQ(3, tree.image(tree.find("Autostart/Current user/b.exe"))) << "there, though without an icon";
        EXPECT_EQ(0, tree.image(tree.find(USER_RUN)));
        EXPECT_EQ(std::vector<std::string>{"b.exe"}, tree.children(tree.find("Autostart/Current user")));

        select(tree, tree.find(USER_RUN + "Tool"));
        EXPECT_EQ("C:\\windows\\system32\\notepad.exe /x", windowText(::GetDlgItem(dialog, IDC_COMMAND_LINE)));
        select(tree, tree.find("Registry/Current User/Run Once/" + CHINESE));
        EXPECT_EQ(CYRILLIC_PATH, windowText(::GetDlgItem(dialog, IDC_COMMAND_LINE)))
            << "names and command lines in any language";
        select(tree, tree.find("Registry"));
        EXPECT_EQ("", windowText(::GetDlgItem(dialog, IDC_COMMAND_LINE)));

        const HMENU menu = ::GetSystemMenu(dialog, FALSE);
        char about[32] = {};
        ::GetMenuStringA(menu, ::GetMenuItemCount(menu) - 1, about, sizeof about, MF_BYPOSITION);
        EXPECT_EQ("&About..", std::string(about));
        ::SendMessageA(dialog, WM_SYSCOMMAND, 0x10, 0);
        press(dialog, IDCANCEL);
    });
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ("Bootwarden Center 1.01", boxes.boxes()[0].text);
    EXPECT_EQ("Bootwarden Center Information", boxes.boxes()[0].title);
}

// The tree crosses out exactly the programs the console calls missing, for every kind of entry:
// both find the program where Windows finds it.
TEST_F(BootwardenDlgTest, TheTreeAndTheConsoleFindEachKindOfProgramAlike)
{
    const std::string startup = world.folder(StartupConstants::USER_STARTUP);
    writeFile(startup + "w.exe", "MZ");
    createShortcut(startup + "Notes.lnk", "C:\\windows\\system32\\notepad.exe");
    ::CreateDirectoryA(world.file("My Tools").c_str(), nullptr);
    writeFile(world.file("My Tools\\t.exe"), "MZ");
    userRun.setString("Bare", "explorer.exe");
    userRun.setString("Quoted", "\"C:\\windows\\system32\\notepad.exe\" /b");
    userRun.setString("Spaces", world.file("My Tools\\t.exe") + " /tray --log C:\\x y.txt");
    userRun.setString("Missing", "C:\\nowhere\\gone.exe /x");
    const struct {
        std::string path;
        bool exists;
    } kinds[] = {
        {"Autostart/Current user/w.exe", true},
        {"Autostart/Current user/Notes.lnk", true},
        {USER_RUN + "Bare", true},
        {USER_RUN + "Quoted", true},
        {USER_RUN + "Spaces", true},
        {"Services/Automatic/Event Log", true},
        {USER_RUN + "Missing", false},
    };
    products::bootwarden::console::CollectingReporter console;
    products::bootwarden::StartupLocations locations(&console);
    std::string out, err;
    products::bootwarden::console::BootwardenCli(locations, console).run({"list", "--format", "json"}, out, err);
    const JsonValue listed = JsonValue::parse(out);
    run([&kinds, &listed](HWND dialog, const TreeReader& tree) {
        for (const auto& kind : kinds) {
            SCOPED_TRACE(kind.path);
            const std::string name = kind.path.substr(kind.path.rfind('/') + 1);
            const auto row = std::find_if(listed.items().begin(), listed.items().end(), [&name](const JsonValue& item) {
                return item.member("name")->text() == name;
            });
            ASSERT_NE(listed.items().end(), row);
            EXPECT_EQ(kind.exists ? "true" : "false", row->member("programExists")->text());
            EXPECT_EQ(kind.exists, tree.image(tree.find(kind.path)) != 1) << "crossed out when missing only";
        }
        press(dialog, IDCANCEL);
    });
}

TEST_F(BootwardenDlgTest, ClicksKeysAndMenusWorkTheEntries)
{
    std::vector<std::string> started;
    platform::ScopedOverride shell(
        &platform::Win32Api::ShellExecuteU, [&started](HWND, const std::string& verb, const std::string& file) {
            started.push_back(verb + " " + file);
            return reinterpret_cast<HINSTANCE>(file.rfind("file://", 0) == 0 ? 42 : SE_ERR_FNF);
        });
    platform::ScopedOverride create(&platform::Win32Api::CreateProcessU, failing(FALSE, ERROR_FILE_NOT_FOUND));
    const INT_PTR result = run([this](HWND dialog, const TreeReader& tree) {
        const HTREEITEM tool = tree.find(USER_RUN + "Tool");
        click(dialog, tree, tool, TVHT_ONITEMLABEL, NM_CLICK);
        EXPECT_EQ(1, tree.stateImage(tool)) << "a click on the label changes nothing";
        click(dialog, tree, tool, TVHT_ONITEMSTATEICON, NM_CLICK);
        EXPECT_EQ(2, tree.stateImage(tool));
        EXPECT_TRUE(tree.bold(tool)) << "a change waiting for OK";
        EXPECT_EQ((std::vector<std::vector<std::string>>{{"101 &Enable", "102 &Delete", "103 &Run",
                                                          "104 Open file &location", "105 Open in Re&gistry Editor"}}),
                  menuOf(dialog, tree, tool, 101));
        EXPECT_EQ(1, tree.stateImage(tool));
        EXPECT_FALSE(tree.bold(tool));
        menuOf(dialog, tree, tool, 103);
        menuOf(dialog, tree, tree.find("Registry"), INFO);
        // The keyboard: Space, the menu key or Shift+F10, Delete, F5 and Enter.
        select(tree, tool);
        ::SetFocus(tree.handle());
        key(tree, VK_SPACE);
        EXPECT_EQ(2, tree.stateImage(tool));
        {
            MenuRecorder menu(102);
            MessageBoxRecorder no(IDNO);
            ::SendMessageA(dialog, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(tree.handle()), MAKELPARAM(-1, -1));
            EXPECT_EQ(1u, menu.menus().size()) << "the selected entry's menu";
            key(tree, VK_DELETE);
            ASSERT_EQ(2u, no.boxes().size());
            EXPECT_EQ("Are you sure you want to delete this key?\n\nIt can be restored from \"Deleted\".",
                      no.boxes()[0].text);
            EXPECT_EQ("Question", no.boxes()[0].title);
            key(tree, VK_F5);
            ASSERT_EQ(3u, no.boxes().size()) << "listing again asks while a change is pending";
            EXPECT_EQ(2, tree.stateImage(tool));
        }
        {
            MessageBoxRecorder yes(IDYES);
            key(tree, VK_F5);
        }
        EXPECT_EQ(1, tree.stateImage(tree.find(USER_RUN + "Tool"))) << "the pending change is dropped";
        const HTREEITEM autostart = TreeView_GetRoot(tree.handle());
        select(tree, autostart);
        {
            platform::ScopedOverride enterDown(&platform::Win32Api::GetKeyState, [](int) { return SHORT(-128); });
            press(dialog, IDOK);
        }
        EXPECT_TRUE(tree.expanded(autostart)) << "Enter in the tree opens the location instead of OK";

        press(dialog, IDC_HELP_BUTTON);
        platform::ScopedOverride refused(&platform::Win32Api::ShellExecuteU,
                                         failing(reinterpret_cast<HINSTANCE>(SE_ERR_NOASSOC), ERROR_NO_ASSOCIATION));
        press(dialog, IDC_HELP_BUTTON);
        platform::ScopedOverride noDirectory(&platform::Win32Api::GetCurrentDirectoryU,
                                             failing(DWORD(0), ERROR_ACCESS_DENIED));
        press(dialog, IDC_HELP_BUTTON);
        press(dialog, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ((std::vector<std::string>{"open C:\\windows\\system32\\notepad.exe /x",
                                        "open file://" + world.path() + "manual.html"}),
              started)
        << "what is no program goes to the shell";
    ASSERT_EQ(4u, boxes.boxes().size()) << "the failed start, the location's Info, two failures of Help";
    EXPECT_EQ("Bootwarden Center Error", boxes.boxes()[0].title);
    EXPECT_EQ(0u, boxes.boxes()[1].text.find("General Information:\n"));
    EXPECT_EQ(
        "Couldn't launch your browser with the help file.\nError when trying to run command (ShellExecute) file://" +
            world.path() + "manual.html\n" + SystemErrors::map(ERROR_NO_ASSOCIATION) +
            "\nPlease try to open the file (manual.html) manually from explorer.",
        boxes.boxes()[2].text);
    EXPECT_EQ("An exception was caught when trying to view the help file.\nCouldn't get the current directory.\n " +
                  SystemErrors::map(ERROR_ACCESS_DENIED) +
                  "\n\nHowever you can browse these files manually from explorer.",
              boxes.boxes()[3].text);
}

TEST_F(BootwardenDlgTest, OkAppliesTheChangesAndStaysWhileOneFailsCancelDropsThemDeleteActsAtOnce)
{
    for (const char* name : {"A", "B"})
        userRun.setString(name, std::string(name) + ".exe");
    run([this](HWND dialog, const TreeReader& tree) {
        click(dialog, tree, tree.find(USER_RUN + "A"), TVHT_ONITEMSTATEICON, NM_CLICK);
        MessageBoxRecorder yes(IDYES);
        menuOf(dialog, tree, tree.find(USER_RUN + "Tool"), 102);
        menuOf(dialog, tree, tree.find(USER_RUN + "Old"), 102);
        press(dialog, IDCANCEL);
    });
    EXPECT_TRUE(userRun.has("A")) << "Cancel drops the pending change";
    EXPECT_FALSE(userRun.has("Tool")) << "Cancel does not bring a deleted entry back";
    EXPECT_TRUE(world.storedNames(RUN).empty());
    run([this](HWND dialog, const TreeReader& tree) {
        const HTREEITEM place = tree.find("Deleted/" + LocationTable::treePath(RUN));
        ASSERT_NE(nullptr, place) << "the window lists what was deleted under where it came from";
        const HTREEITEM tool = TreeView_GetNextSibling(tree.handle(), TreeView_GetChild(tree.handle(), place));
        EXPECT_EQ(0u, tree.text(tool).rfind("Tool   (deleted ", 0)) << tree.text(tool);
        EXPECT_EQ((std::vector<std::vector<std::string>>{{"107 &Restore", "108 &Forget", "106 &Info"}}),
                  menuOf(dialog, tree, tool, 107));
        EXPECT_NE(nullptr, tree.find(USER_RUN + "Tool", false));
        MessageBoxRecorder yes(IDYES);
        menuOf(dialog, tree, TreeView_GetChild(tree.handle(), tree.find("Deleted/" + LocationTable::treePath(RUN))),
               108);
        ASSERT_EQ(1u, yes.boxes().size());
        EXPECT_EQ("Forget this deleted entry? Its copy is removed for good, and it can no longer be restored.",
                  yes.boxes()[0].text);
        EXPECT_EQ(nullptr, tree.find("Deleted", false)) << "Deleted goes with its last entry";
        press(dialog, IDCANCEL);
    });
    EXPECT_EQ("C:\\windows\\system32\\notepad.exe /x", userRun.get("Tool")) << "restored as it was";

    EXPECT_EQ(
        IDOK, run([this](HWND dialog, const TreeReader& tree) {
            for (const char* name : {"A", "B"})
                click(dialog, tree, tree.find(USER_RUN + name), TVHT_ONITEMSTATEICON, NM_CLICK);
            {
                platform::ScopedOverride refuseA(
                    &platform::Win32Api::RegDeleteValueU,
                    [real = platform::win32().RegDeleteValueU](HKEY key, const std::string& name) {
                        return name == "A" ? LONG(ERROR_ACCESS_DENIED) : real(key, name);
                    });
                press(dialog, IDOK);
            }
            EXPECT_FALSE(userRun.has("B")) << "what could be applied is applied";
            EXPECT_TRUE(userRun.has("A"));
            EXPECT_TRUE(tree.bold(tree.find(USER_RUN + "A"))) << "what failed stays pending, and the window stays";
            EXPECT_FALSE(tree.bold(tree.find(USER_RUN + "B")));
            {
                platform::ScopedOverride replace(&platform::Win32Api::MoveFileExU, failing(FALSE, ERROR_DISK_FULL));
                press(dialog, IDOK);
            }
            press(dialog, IDOK); // the cause is gone: OK finishes the job
        }));

    ASSERT_EQ(2u, boxes.boxes().size()) << "A refused, then A unsaved";
    for (const MessageBoxRecorder::Box& box : boxes.boxes()) {
        EXPECT_NE(std::string::npos, box.text.find("\nValue: A\n"));
        EXPECT_NE(nullptr, box.owner) << "owned by the window, which is disabled while it is open";
    }
    EXPECT_FALSE(userRun.has("A"));
    EXPECT_EQ((std::vector<std::string>{"B", "A"}), world.storedNames(RUN));
}

// An entry the window shows by another name than its value's, an Active Setup component by its
// title: disabled with OK, listed as disabled when the window opens again, enabled with OK, and
// back as it was. The window acts on the value, not on the label it shows.
TEST_F(BootwardenDlgTest, AnEntryShownByItsTitleIsDisabledAndRestoredThroughTheWindow)
{
    const int type = StartupConstants::LOCAL_MACHINE_ACTIVE_SETUP;
    const RegistryScratch& activeSetup = world.key(type);
    const RegistryScratch component(activeSetup.root(), activeSetup.subKey() + "\\{A1}");
    component.setString("", "Contoso Updater");
    component.setString("StubPath", "C:\\u.exe");
    for (const bool disabling : {true, false}) {
        EXPECT_EQ(IDOK, run([disabling, type, this](HWND dialog, const TreeReader& tree) {
                      const HTREEITEM item = tree.find(LocationTable::treePath(type) + "/Contoso Updater");
                      ASSERT_NE(nullptr, item);
                      EXPECT_EQ(disabling ? 1 : 2, tree.stateImage(item));
                      click(dialog, tree, item, TVHT_ONITEMSTATEICON, NM_CLICK);
                      press(dialog, IDOK);
                  }));
        EXPECT_EQ(!disabling, component.has("StubPath"));
        EXPECT_EQ(disabling ? 1u : 0u, RegistryBackup("bootwarden.dat").getEntries(type).size());
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

RECT placeOf(HWND dialog, int id)
{
    RECT rect = {};
    ::GetWindowRect(::GetDlgItem(dialog, id), &rect);
    ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// A window for today's screens: the tree and the command line take the room of a larger
// window, OK stays in the bottom right corner, and the window never gets smaller than its
// design. It runs at 96 DPI and again at 144.
TEST_F(BootwardenDlgTest, TheTreeTakesTheRoomOfALargerWindow)
{
    run([](HWND dialog, const TreeReader& control) {
        const HDC screen = ::GetDC(dialog);
        const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
        ::ReleaseDC(dialog, screen);
        if (const char* meant = std::getenv("BOOTWARDEN_TEST_DPI")) {
            EXPECT_EQ(std::atoi(meant), dpi);
        }
        for (const int list : {TVSIL_NORMAL, TVSIL_STATE}) {
            int width = 0, height = 0;
            ImageList_GetIconSize(
                reinterpret_cast<HIMAGELIST>(::SendMessageW(control.handle(), TVM_GETIMAGELIST, list, 0)), &width,
                &height);
            EXPECT_EQ(std::max(16, ::MulDiv(16, dpi, 96)), width) << "icons and check boxes grow with the screen's DPI";
        }
        RECT window = {};
        ::GetWindowRect(dialog, &window);
        MINMAXINFO limits = {};
        ::SendMessageW(dialog, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        EXPECT_EQ(window.right - window.left, limits.ptMinTrackSize.x);
        EXPECT_EQ(window.bottom - window.top, limits.ptMinTrackSize.y);
        const RECT tree = placeOf(dialog, IDC_TREE), line = placeOf(dialog, IDC_COMMAND_LINE),
                   ok = placeOf(dialog, IDOK);

        // Within the test session's desktop of 1280 x 1024, at 144 DPI as well.
        ::SetWindowPos(dialog, nullptr, 0, 0, window.right - window.left + 300, window.bottom - window.top + 200,
                       SWP_NOZORDER);
        const RECT bigTree = placeOf(dialog, IDC_TREE), wideLine = placeOf(dialog, IDC_COMMAND_LINE),
                   movedOk = placeOf(dialog, IDOK);
        EXPECT_EQ(tree.right - tree.left + 300, bigTree.right - bigTree.left);
        EXPECT_EQ(tree.bottom - tree.top + 200, bigTree.bottom - bigTree.top);
        EXPECT_EQ(line.right - line.left + 300, wideLine.right - wideLine.left);
        EXPECT_EQ(line.top + 200, wideLine.top) << "the command line stays below the tree";
        EXPECT_EQ(ok.left + 300, movedOk.left) << "OK keeps to the right edge";
        EXPECT_EQ(ok.top + 200, movedOk.top) << "and to the bottom edge";
        press(dialog, IDCANCEL);
    });
}

// The console (or a second window) changes the data file while the window is open.
TEST_F(BootwardenDlgTest, WhatAnotherBootwardenStoredMeanwhileIsKeptAndListedAgain)
{
    EXPECT_EQ(IDOK, run([this](HWND dialog, const TreeReader& tree) {
                  RegistryBackup console("bootwarden.dat");
                  console.put(StartupItem(RUN, 1, "Console", "c.exe"));
                  console.commit();
                  key(tree, VK_F5);
                  EXPECT_NE(nullptr, tree.find(USER_RUN + "Console")) << "F5 reads the data file again";
                  {
                      MessageBoxRecorder yes(IDYES);
                      menuOf(dialog, tree, tree.find(USER_RUN + "Old"), 102);
                  }
                  console.put(StartupItem(RUN, 1, "Later", "l.exe"));
                  console.commit();
                  press(dialog, IDOK);
              }));
    EXPECT_EQ((std::vector<std::string>{"Console", "Later"}), world.storedNames(RUN))
        << "the window's delete went into what was on disk; its OK had nothing to write";
}

// The task service answers for each task in turn, which takes long on a machine with hundreds.
TEST_F(BootwardenDlgTest, TheWindowAnswersWhileTheTasksAreListedAndShowsThemOnceTheyAre)
{
    const std::string task = "Scheduled Tasks/At sign-in or startup/\\Contoso\\Updater";
    world.tasks().add("\\Contoso\\Updater", taskXml("<LogonTrigger/>", "<Exec><Command>updater.exe</Command></Exec>"));
    std::promise<void> release;
    world.tasks().beforeListing = [held = release.get_future().share()] { held.wait_for(std::chrono::seconds(10)); };
    run([&](HWND dialog, const TreeReader& tree) {
        EXPECT_EQ((std::vector<std::string>{"Autostart", "Registry", "Services"}), tree.children(nullptr));
        release.set_value();
        EXPECT_TRUE(pumpUntil([&] { return tree.find(task) != nullptr; }));
        key(tree, VK_F5);
        EXPECT_TRUE(pumpUntil([&] { return tree.find(task) != nullptr; })) << "listed again";
        press(dialog, IDCANCEL);
    });
}

// The filter box in the window: Ctrl+F and "/" in the tree go to it, what it holds is all the
// tree shows and is counted, an entry whose program's publisher holds it comes once the publisher
// is learned, Down goes back into the tree, and Esc empties it before it cancels.
TEST_F(BootwardenDlgTest, TheFilterBoxShowsAndCountsWhatHoldsItsText)
{
    const SignedPrograms programs;
    const std::string helper = world.file("helper.exe");
    ::CopyFileA(SignedPrograms::path("contoso-updater.exe").c_str(), helper.c_str(), FALSE);
    userRun.setString("Helper", helper);
    const std::string publisher = ProgramInspector().inspect(helper).publisher();
    ASSERT_NE(std::string::npos, publisher.find("Contoso")) << publisher;
    EXPECT_EQ(IDCANCEL, run([&publisher](HWND dialog, const TreeReader& tree) {
                  const HWND box = ::GetDlgItem(dialog, IDC_FILTER);
                  for (const WORD pressed : {WORD('F'), WORD(VK_DIVIDE)}) {
                      platform::ScopedOverride control(&platform::Win32Api::GetKeyState,
                                                       [](int held) -> SHORT { return held == VK_CONTROL ? -1 : 0; });
                      ::SetFocus(tree.handle());
                      key(tree, pressed);
                      EXPECT_EQ(box, ::GetFocus()) << pressed;
                  }
                  pumpUntil([] { return false; }, 500); // the tasks' listing, which filters again, lands first
                  ::SetWindowTextA(box, publisher.c_str());
                  EXPECT_TRUE(pumpUntil([&] { return tree.find(USER_RUN + "Helper") != nullptr; })) << publisher;
                  ::SetWindowTextW(box, L"NOTEPAD");
                  EXPECT_EQ(std::vector<std::string>{"Registry"}, tree.children(nullptr));
                  EXPECT_EQ(std::vector<std::string>{"Tool"}, tree.children(tree.find(USER_RUN)));
                  EXPECT_TRUE(tree.expanded(tree.find(USER_RUN)));
                  const std::string count = windowText(::GetDlgItem(dialog, IDC_FILTER_COUNT));
                  EXPECT_EQ("1 of ", count.substr(0, 5)) << count;
                  ::SendMessageW(box, WM_KEYDOWN, VK_DOWN, 0);
                  EXPECT_EQ(tree.handle(), ::GetFocus());
                  ::SetFocus(box);
                  press(dialog, IDCANCEL);
                  EXPECT_EQ("", windowText(box));
                  EXPECT_EQ(4u, tree.children(tree.find(USER_RUN)).size()) << "all shown again";
                  press(dialog, IDCANCEL);
              }));
}

TEST_F(BootwardenDlgTest, AnUnreadableLocationAndADamagedDataFileAreReported)
{
    platform::ScopedOverride denied(
        &platform::Win32Api::RegOpenKeyExU,
        [real = platform::win32().RegOpenKeyExU](HKEY root, const std::string& key, REGSAM access, PHKEY opened) {
            return key == RUN_ONCE_EX_KEY ? LONG(ERROR_ACCESS_DENIED) : real(root, key, access, opened);
        });
    writeFile(world.file("bootwarden.dat"), word(2) + record(RUN, "Kept", "k.exe") + word(RUN));
    run([this](HWND dialog, const TreeReader& tree) {
        EXPECT_EQ((std::vector<std::string>{"Empty", "Kept", "Tool"}), tree.children(tree.find(USER_RUN)));
        const HTREEITEM broken = tree.find("Registry/All users/Run Once Ex");
        EXPECT_EQ(2, tree.image(broken));
        menuOf(dialog, tree, broken, INFO);
        press(dialog, IDCANCEL);
    });
    ASSERT_EQ(2u, boxes.boxes().size());
    EXPECT_EQ(0u, boxes.boxes()[0].text.find("The data file bootwarden.dat is damaged."));
    EXPECT_NE(std::string::npos, boxes.boxes()[1].text.find("\n\nError description:\nError when opening a registry "
                                                            "key, access is denied."));
    EXPECT_EQ("Bootwarden Center Information", boxes.boxes()[1].title);
}

} // namespace

namespace {

// Who signed each program, under its command line; Microsoft's signed entries hidden on request
// and shown again, with a change waiting for OK kept meanwhile.
TEST_F(BootwardenDlgTest, TheLineUnderTheCommandSaysWhoSignedTheProgram)
{
    const SignedPrograms programs;
    SignedPrograms::writeChangedCopy(world.file("changed.exe"));
    writeFile(world.file("start.bat"), "@echo off\r\n");
    // One entry of each state, as the inspector tells them apart.
    const struct {
        const char* name;
        std::string command;
    } entries[] = {
        {"Signed", '"' + SignedPrograms::path("contoso-updater.exe") + "\" /quiet"},
        {"Changed", world.file("changed.exe")},
        {"Unsigned", SignedPrograms::path("unsigned.exe")},
        {"Script", world.file("start.bat")},
        {"Gone", "C:\\Gone\\gone.exe"},
        {"Microsoft's", SignedPrograms::path("microsoft-signed.exe")},
        {"Says Microsoft", "winver.exe"},
    };
    for (const auto& entry : entries)
        userRun.setString(entry.name, entry.command);
    const std::string replaced = world.file("replaced.exe");
    ::CopyFileA(SignedPrograms::path("contoso-updater.exe").c_str(), replaced.c_str(), FALSE);
    userRun.setString("Replaced", replaced);
    run([&](HWND dialog, const TreeReader& tree) {
        const HWND line = ::GetDlgItem(dialog, IDC_PROGRAM_FACTS);
        const auto shows = [&](const std::string& command) {
            const std::string expected = ProgramInspector().inspect(command).summary();
            return pumpUntil([&] { return windowText(line) == expected; });
        };
        // A signed program overwritten while the window is open, an updater's work or worse, is
        // shown as it is now after F5.
        select(tree, tree.find(USER_RUN + "Replaced"));
        EXPECT_TRUE(shows(replaced));
        const std::string signedLine = windowText(line);
        ::CopyFileA(SignedPrograms::path("unsigned.exe").c_str(), replaced.c_str(), FALSE);
        key(tree, VK_F5);
        select(tree, tree.find(USER_RUN + "Replaced"));
        EXPECT_TRUE(shows(replaced)) << windowText(line);
        EXPECT_NE(signedLine, windowText(line));
        for (const auto& entry : entries) {
            SCOPED_TRACE(entry.name);
            select(tree, tree.find(USER_RUN + entry.name));
            EXPECT_EQ("Checking who signed the program...", windowText(line)) << "the window never waits for it";
            EXPECT_TRUE(shows(entry.command)) << windowText(line);
        }
        select(tree, tree.find(USER_RUN + "Signed"));
        EXPECT_EQ(ProgramInspector().inspect(entries[0].command).summary(), windowText(line))
            << "known at once the second time";
        select(tree, tree.find("Registry"));
        EXPECT_EQ("", windowText(line));

        const HTREEITEM microsoft = tree.find(USER_RUN + "Microsoft's");
        click(dialog, tree, microsoft, TVHT_ONITEMSTATEICON, NM_CLICK);
        ::SendMessageW(::GetDlgItem(dialog, IDC_HIDE_MICROSOFT), BM_SETCHECK, BST_CHECKED, 0);
        press(dialog, IDC_HIDE_MICROSOFT);
        EXPECT_TRUE(pumpUntil([&] { return !tree.find(USER_RUN + "Microsoft's"); })) << "hidden";
        EXPECT_TRUE(tree.find(USER_RUN + "Says Microsoft")) << "a claim in a version resource is no signature";
        EXPECT_EQ(10u, tree.children(tree.find(USER_RUN)).size()) << "nothing else hidden";
        ::SendMessageW(::GetDlgItem(dialog, IDC_HIDE_MICROSOFT), BM_SETCHECK, BST_UNCHECKED, 0);
        press(dialog, IDC_HIDE_MICROSOFT);
        const HTREEITEM back = tree.find(USER_RUN + "Microsoft's");
        ASSERT_TRUE(back);
        EXPECT_EQ(2, tree.stateImage(back));
        EXPECT_TRUE(tree.bold(back)) << "its change still waits for OK";
        ::SendMessageW(::GetDlgItem(dialog, IDC_HIDE_MICROSOFT), BM_SETCHECK, BST_CHECKED, 0);
        press(dialog, IDC_HIDE_MICROSOFT);
        EXPECT_TRUE(pumpUntil([&] { return !tree.find(USER_RUN + "Microsoft's"); }));
        press(dialog, IDOK);
    });
    EXPECT_FALSE(userRun.has("Microsoft's")) << "OK applies a hidden entry's change";
    EXPECT_EQ((std::vector<std::string>{"Old", "Microsoft's"}), world.storedNames(RUN));
}

// Explorer at the program, the Registry Editor at the key: what each was asked to open.
TEST_F(BootwardenDlgTest, TheOpenCommandsStartExplorerAndTheRegistryEditorThere)
{
    world.key(StartupConstants::LOCAL_MACHINE_RUN_32).setString("Tray", "notepad.exe /tray");
    userRun.setString("Gone", "C:\\Gone\\gone.exe /x");
    const RegistryScratch settings(HKEY_CURRENT_USER, windows::registry::RegistryEditor::SETTINGS_KEY,
                                   {windows::registry::RegistryEditor::LAST_KEY});
    std::vector<std::string> started;
    platform::ScopedOverride create(&platform::Win32Api::CreateProcessU,
                                    [&](const std::string& commandLine, DWORD, LPPROCESS_INFORMATION process) {
                                        started.push_back(commandLine);
                                        *process = {};
                                        return TRUE;
                                    });
    const UINT openFile = static_cast<UINT>(StartupTree::Command::OpenFileLocation);
    const UINT openKey = static_cast<UINT>(StartupTree::Command::OpenInRegistryEditor);
    std::string system(MAX_PATH, '\0');
    system.resize(::GetSystemDirectoryA(&system[0], MAX_PATH));
    run([&](HWND dialog, const TreeReader& tree) {
        menuOf(dialog, tree, tree.find(USER_RUN + "Tool"), openFile);
        menuOf(dialog, tree, tree.find(USER_RUN + "Tool"), openKey);
        EXPECT_EQ("Computer\\HKEY_CURRENT_USER\\" + RUN_KEY, settings.get("LastKey"));
        menuOf(dialog, tree, tree.find("Registry/All users/Run (32-bit)/Tray"), openFile);
        menuOf(dialog, tree, tree.find("Registry/All users/Run (32-bit)/Tray"), openKey);
        EXPECT_EQ("Computer\\HKEY_LOCAL_MACHINE\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run",
                  settings.get("LastKey"))
            << "the 32-bit view where 64-bit Windows keeps it";
        menuOf(dialog, tree, tree.find(USER_RUN + "Gone"), openFile);
        press(dialog, IDCANCEL);
    });
    EXPECT_EQ((std::vector<std::string>{"explorer.exe /select,\"C:\\windows\\system32\\notepad.exe\"", "regedit.exe",
                                        "explorer.exe /select,\"" + system + "\\notepad.exe\"", "regedit.exe"}),
              started);
    ASSERT_EQ(1u, boxes.boxes().size());
    EXPECT_EQ("There is no file C:\\Gone\\gone.exe to show: the program this entry starts is missing.",
              boxes.boxes()[0].text);
}

} // namespace
