#include "windows/file/ShortcutReader.h"

#include "windows/file/WindowsFileHelper.h"

#include "support/Files.h"
#include "support/MessageOf.h"
#include "support/Win32Fakes.h"
#include "support/WineFixtures.h"
#include "windows/com/ComApartment.h"

#include <gtest/gtest.h>

using windows::file::ShortcutReader;
using windows::file::WindowsFileHelper;

namespace {

using windows::file::CouldNotExtractPathFromShourcutException;

class ShortcutTest : public testing::Test {
protected:
    const windows::com::ComApartment com;
    ScratchDirectory dir{"shortcuts"};
    const std::string link = dir.file("app.lnk");

    std::string failureOf(const std::string& file)
    {
        return messageOf<CouldNotExtractPathFromShourcutException>([&file] { ShortcutReader().read(file); });
    }
};

TEST_F(ShortcutTest, ResolvesQuietlyToTheLongTargetAndItsArguments)
{
    WindowsFileHelper::createDirectory(dir.file("Program Files Long"));
    const std::string target = dir.file("Program Files Long\\application.exe");
    writeFile(target, "MZ");
    createShortcut(link, target, "/tray --profile \"a b\"");
    DWORD flags = 0;
    platform::ScopedOverride resolve(&platform::Win32Api::ShellLinkResolve,
                                     [&flags](IShellLinkW* l, HWND owner, DWORD asked) {
                                         flags = asked;
                                         return l->Resolve(owner, asked);
                                     });
    ShortcutReader reader;
    const ShortcutReader::Shortcut shortcut = reader.read(link);
    EXPECT_EQ(DWORD(SLR_NO_UI | SLR_NOSEARCH), flags & (SLR_NO_UI | SLR_NOSEARCH)) << "no window, no search";
    EXPECT_EQ(target, shortcut.target);
    EXPECT_EQ("/tray --profile \"a b\"", shortcut.arguments);

    // One reader, one link object for a whole folder: each link is read as itself alone.
    const std::string plain = dir.file("plain.lnk");
    createShortcut(plain, dir.file("app.exe"));
    EXPECT_THROW(reader.read(dir.file("missing.lnk")), CouldNotExtractPathFromShourcutException);
    const ShortcutReader::Shortcut next = reader.read(plain);
    EXPECT_EQ(dir.file("app.exe"), next.target);
    EXPECT_EQ("", next.arguments) << "nothing of the link read before";
}

TEST_F(ShortcutTest, FilesThatAreNoShortcutsFailAtTheirStep)
{
    writeFile(link, "not a shell link");
    EXPECT_EQ(0u, failureOf(link).find("Could not extract the path from the link file " + link +
                                       ".\nThe function failed when trying to Load.\nSystem error message: "));
    EXPECT_NE(std::string::npos,
              failureOf(dir.file(std::string(300, 'l') + ".lnk")).find(".\nThe function failed when trying to Load.\n"))
        << "a long name reaches the shell whole";
}

} // namespace
