#include "products/bootwarden/database/ServiceDatabase.h"

#include "exceptions/IOException.h"
#include "products/bootwarden/database/RegistryBackup.h"
#include "support/Files.h"
#include "support/MessageOf.h"
#include "support/Locations.h"
#include "support/Records.h"
#include "support/RoundTrip.h"
#include "support/Win32Fakes.h"
#include "support/ScriptedDatabase.h"
#include "support/WineFixtures.h"
#include "windows/service/ServiceManager.h"

#include <gtest/gtest.h>

#include <algorithm>

using products::bootwarden::StartupItem;
using products::bootwarden::database::RegistryBackup;
using products::bootwarden::database::ServiceDatabase;

namespace {

const int SERVICES = StartupConstants::AUTOMATIC_SERVICES;

// The listing's entries of the test's services, without the prefix's own.
std::vector<StartupItem> ours(const std::vector<StartupItem>& items)
{
    std::vector<StartupItem> found;
    std::copy_if(items.begin(), items.end(), std::back_inserter(found),
                 [](const StartupItem& item) { return item.getValue().rfind("BootwardenTest", 0) == 0; });
    return found;
}

class ServiceDatabaseTest : public testing::Test {
protected:
    ScratchDirectory dir{"service_database"};
    const std::string file = dir.file("bootwarden.dat");
    const TestService plain{"BootwardenTestPlain", "Contoso Updater", SERVICE_AUTO_START};
    const TestService delayed{"BootwardenTestDelayed", "Служба индексирования", SERVICE_AUTO_START, true};
    const TestService onDemand{"BootwardenTestManual", "Contoso Helper", SERVICE_DEMAND_START};
};

} // namespace

// Disabling makes a service start on demand and keeps how it started in the data file, where
// older versions never look; after a restart it is listed as disabled, and enabling brings the
// start back.
TEST_F(ServiceDatabaseTest, AnAutomaticServiceStartsOnDemandWhileDisabledAndAutomaticallyAgain)
{
    RegistryBackup backup(file);
    ServiceDatabase database(SERVICES, backup);
    const std::vector<StartupItem> items = ours(database.getItems());
    const std::string program = TestService::PROGRAM;
    EXPECT_EQ((std::vector<std::string>{"0 BootwardenTestDelayed=" + program, "0 BootwardenTestPlain=" + program}),
              describe(items))
        << "automatic ones only, delayed or not";
    const StartupItem& service = itemNamed(items, plain.name());
    EXPECT_EQ("Contoso Updater", database.getLabel(service));
    EXPECT_EQ("Service BootwardenTestPlain", database.getNote(service).text);
    EXPECT_TRUE(service.isCommand());

    database.disable(disabled(service));
    EXPECT_EQ(DWORD(SERVICE_DEMAND_START), plain.startType());
    EXPECT_EQ(DWORD(SERVICE_AUTO_START), delayed.startType());
    EXPECT_EQ(word(0), readFile(file).substr(0, 4));
    EXPECT_EQ(std::string("\x02\0\0\0\0\0\0\0", 8), *RegistryBackup(file).getEntries(SERVICES).at(0).getRawData())
        << "automatic, not delayed, as its key says it";

    RegistryBackup restarted(file);
    ServiceDatabase again(SERVICES, restarted);
    const std::vector<StartupItem> listed = ours(again.getItems());
    EXPECT_EQ((std::vector<std::string>{"0 BootwardenTestDelayed=" + program, "1 BootwardenTestPlain=" + program}),
              describe(listed));
    const StartupItem& stored = itemNamed(listed, plain.name());
    EXPECT_EQ("Contoso Updater", again.getLabel(stored)) << "a disabled service keeps its display name";
    again.enable(stored);
    {
        platform::ScopedOverride move(&platform::Win32Api::MoveFileExU, failing(FALSE, ERROR_DISK_FULL));
        EXPECT_THROW(restarted.commit(), io::file::CouldNotSaveFileException);
    }
    EXPECT_EQ(DWORD(SERVICE_DEMAND_START), plain.startType()) << "a save that fails takes enabling back";
    expectComesBack<ServiceDatabase>(file, SERVICES,
                                     [this] { EXPECT_EQ(DWORD(SERVICE_AUTO_START), plain.startType()); });
}

// The delay is kept in the service's key while it starts on demand, and counts again once it is
// automatic; the note says it starts after the others.
TEST_F(ServiceDatabaseTest, ADelayedServiceKeepsItsDelay)
{
    RegistryBackup backup(file);
    ServiceDatabase database(SERVICES, backup);
    std::vector<StartupItem> items = ours(database.getItems());
    const StartupItem service = itemNamed(items, delayed.name());
    EXPECT_EQ("Service BootwardenTestDelayed, started after the others", database.getNote(service).text);
    database.disable(disabled(service));
    EXPECT_EQ(DWORD(SERVICE_DEMAND_START), delayed.startType());
    EXPECT_EQ(DWORD(1), delayed.delayedMark());
    database.enable(RegistryBackup(file).getEntries(SERVICES).at(0));
    EXPECT_EQ(DWORD(SERVICE_AUTO_START), delayed.startType());
    EXPECT_EQ(DWORD(1), delayed.delayedMark());
}

// A service is known by its display name in any language; an indirect one that cannot be loaded
// leaves it known by its name. Its program is named as any command names it, not as the kernel does.
TEST_F(ServiceDatabaseTest, AServiceIsKnownByItsDisplayName)
{
    const TestService indirect("BootwardenTestIndirect", "@C:\\nowhere.dll,-101", SERVICE_AUTO_START);
    RegistryBackup backup(file);
    ServiceDatabase database(SERVICES, backup);
    std::vector<std::string> labels;
    for (const StartupItem& item : ours(database.getItems()))
        labels.push_back(database.getLabel(item));
    std::sort(labels.begin(), labels.end());
    EXPECT_EQ((std::vector<std::string>{"BootwardenTestIndirect", "Contoso Updater", "Служба индексирования"}), labels);
    for (const auto& [imagePath, command] :
         {std::pair<std::string, std::string>{"\\SystemRoot\\system32\\svc.exe -k x",
                                              "%SystemRoot%\\system32\\svc.exe -k x"},
          {"\\??\\C:\\Drivers\\svc.exe", "C:\\Drivers\\svc.exe"},
          {TestService::PROGRAM, TestService::PROGRAM}})
        EXPECT_EQ(command, database.getCommand(StartupItem(SERVICES, 0, "x", imagePath)))
            << "its program, as a command names it";
}

// A service the system will not change stays as it was, and no stored copy of it is listed; one
// that another program set to start otherwise since it was listed is left alone.
TEST_F(ServiceDatabaseTest, AServiceThatCannotBeChangedStaysAutomatic)
{
    RegistryBackup backup(file);
    ServiceDatabase database(SERVICES, backup);
    const StartupItem service = ours(database.getItems()).at(0);
    platform::ScopedOverride denied(&platform::Win32Api::ChangeServiceStartType, [](SC_HANDLE, DWORD) {
        ::SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    });
    EXPECT_THROW(database.disable(disabled(service)), windows::service::ServiceException);
    backup.commit();
    EXPECT_EQ(dataFile({}), readFile(file)) << "no stored copy left to come back";
    EXPECT_EQ((std::vector<std::string>{"0 BootwardenTestDelayed=" + std::string(TestService::PROGRAM),
                                        "0 BootwardenTestPlain=" + std::string(TestService::PROGRAM)}),
              describe(ours(ServiceDatabase(SERVICES, backup).getItems())));
    {
        platform::ScopedOverride removed(
            &platform::Win32Api::RegOpenKeyExU, [real = platform::win32().RegOpenKeyExU, &service](
                                                    HKEY root, const std::string& name, REGSAM access, PHKEY opened) {
                const bool gone = name.find(service.getValue()) != std::string::npos;
                return gone ? LONG(ERROR_FILE_NOT_FOUND) : real(root, name, access, opened);
            });
        EXPECT_EQ(1u, ours(database.getItems()).size()) << "a service removed while listed hides no other";
    }
    EXPECT_EQ("The service BootwardenTestManual no longer starts with Windows; another program changed it since it "
              "was listed, so it is left as it is.",
              messageOf<products::bootwarden::database::ServiceDatabaseException>([this, &database] {
                  database.disable(disabled(StartupItem(SERVICES, 0, onDemand.name(), TestService::PROGRAM)));
              }));
    EXPECT_EQ(DWORD(SERVICE_DEMAND_START), onDemand.startType());
    EXPECT_EQ(dataFile({}), readFile(file));
}
