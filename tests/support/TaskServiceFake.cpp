#include "support/TaskServiceFake.h"

namespace {

// The folder that holds a path: "\" for "\A", "\A" for "\A\B".
std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('\\');
    return slash == 0 ? "\\" : path.substr(0, slash);
}

} // namespace

TaskServiceFake::TaskServiceFake()
    : _running(&platform::Win32Api::QueryServiceStatus,
               [](SC_HANDLE, LPSERVICE_STATUS status) {
                   status->dwCurrentState = SERVICE_RUNNING;
                   return TRUE;
               }),
      _connect(&platform::Win32Api::TaskServiceConnect,
               [](ITaskService** service) {
                   *service = nullptr;
                   return S_OK;
               }),
      _list(&platform::Win32Api::TaskFolderListU,
            [this](ITaskService*, const std::string& folder, std::vector<std::string>& folders,
                   std::vector<platform::RegisteredTask>& tasks) {
                if (folder == "\\" && beforeListing)
                    beforeListing();
                for (const auto& [path, task] : _tasks) {
                    if (folderOf(path) == folder)
                        tasks.push_back(task);
                    // Each folder between the root and the task, once.
                    for (std::string within = folderOf(path); within != "\\"; within = folderOf(within))
                        if (folderOf(within) == folder &&
                            std::find(folders.begin(), folders.end(), within) == folders.end())
                            folders.push_back(within);
                }
                return S_OK;
            }),
      _enable(&platform::Win32Api::TaskSetEnabledU,
              [this](ITaskService*, const std::string& path, bool enabled) {
                  if (refusal == S_OK && has(path))
                      _tasks[path].enabled = enabled;
                  return refusal != S_OK ? refusal : has(path) ? S_OK : HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
              }),
      _delete(
          &platform::Win32Api::TaskDeleteU,
          [this](ITaskService*, const std::string& path) {
              return refusal != S_OK ? refusal : _tasks.erase(path) ? S_OK : HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
          }),
      _register(&platform::Win32Api::TaskRegisterU,
                [this](ITaskService*, const std::string& path, const std::string& xml) {
                    if (refusal != S_OK || has(path))
                        return refusal != S_OK ? refusal : HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
                    add(path, xml);
                    return S_OK;
                }),
      _run(&platform::Win32Api::TaskRunU, [this](ITaskService*, const std::string& path) {
          runs.push_back(path);
          return refusal;
      })
{
}

void TaskServiceFake::add(const std::string& path, const std::string& xml, bool enabled)
{
    _tasks[path] = {path, xml, enabled};
}

std::string taskXml(const std::string& triggers, const std::string& actions, const std::string& settings)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
           "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
           "  <RegistrationInfo><Author>Contoso</Author><Description>Keeps Contoso up to date.</Description>"
           "<URI>\\Contoso\\Updater</URI></RegistrationInfo>\n"
           "  <Triggers>" +
           triggers +
           "</Triggers>\n"
           "  <Principals><Principal id=\"Author\"><UserId>S-1-5-18</UserId><RunLevel>HighestAvailable</RunLevel>"
           "</Principal></Principals>\n"
           "  <Settings><MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy><Enabled>true</Enabled>" +
           settings +
           "</Settings>\n"
           "  <Actions Context=\"Author\">" +
           actions + "</Actions>\n</Task>\n";
}
