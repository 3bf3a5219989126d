#include "platform/ComCalls.h"
#include "platform/Text.h"
#include "platform/UniqueResource.h"
#include "platform/Win32Api.h"

// The task service's class and interface ids are defined here, where they are used.
#include <initguid.h>
#include <taskschd.h>

namespace platform {

namespace {

const HRESULT NO_TRANSLATION = HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);

// A BSTR of the text for one call.
class Bstr {
public:
    explicit Bstr(const std::wstring& text) : _text(::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { ::SysFreeString(_text); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    operator BSTR() const { return _text; }

private:
    BSTR _text;
};

// The text of a BSTR the service handed over, which is freed.
std::string taken(BSTR text)
{
    std::string utf8 = text ? Text::toUtf8(std::wstring(text, ::SysStringLen(text))) : std::string();
    ::SysFreeString(text);
    return utf8;
}

VARIANT itemIndex(LONG index)
{
    VARIANT variant;
    ::VariantInit(&variant);
    variant.vt = VT_I4;
    variant.lVal = index;
    return variant;
}

HRESULT folderAt(ITaskService* service, const std::wstring& path, ComPtr<ITaskFolder>& folder)
{
    return service->GetFolder(Bstr(path), reinterpret_cast<ITaskFolder**>(folder.put()));
}

// A task's folder and its name within it.
bool split(const std::string& path, std::wstring& folder, std::wstring& name)
{
    std::wstring wide;
    if (!Text::toWide(path, wide))
        return false;
    const std::size_t slash = wide.rfind(L'\\');
    folder = slash == std::wstring::npos || slash == 0 ? L"\\" : wide.substr(0, slash);
    name = slash == std::wstring::npos ? wide : wide.substr(slash + 1);
    return true;
}

HRESULT taskAt(ITaskService* service, const std::string& path, ComPtr<IRegisteredTask>& task)
{
    std::wstring folderPath, name;
    if (!split(path, folderPath, name))
        return NO_TRANSLATION;
    ComPtr<ITaskFolder> folder;
    const HRESULT result = folderAt(service, folderPath, folder);
    return FAILED(result) ? result : folder->GetTask(Bstr(name), reinterpret_cast<IRegisteredTask**>(task.put()));
}

HRESULT listFolder(ITaskService* service, const std::string& path, std::vector<std::string>& folders,
                   std::vector<RegisteredTask>& tasks)
{
    std::wstring wide;
    if (!Text::toWide(path, wide))
        return NO_TRANSLATION;
    ComPtr<ITaskFolder> folder;
    HRESULT result = folderAt(service, wide, folder);
    ComPtr<ITaskFolderCollection> subfolders;
    if (SUCCEEDED(result))
        result = folder->GetFolders(0, reinterpret_cast<ITaskFolderCollection**>(subfolders.put()));
    LONG count = 0;
    if (SUCCEEDED(result))
        result = subfolders->get_Count(&count);
    for (LONG i = 1; SUCCEEDED(result) && i <= count; ++i) {
        ComPtr<ITaskFolder> subfolder;
        BSTR name = nullptr;
        result = subfolders->get_Item(itemIndex(i), reinterpret_cast<ITaskFolder**>(subfolder.put()));
        if (SUCCEEDED(result))
            result = subfolder->get_Path(&name);
        if (SUCCEEDED(result))
            folders.push_back(taken(name));
    }
    ComPtr<IRegisteredTaskCollection> registered;
    if (SUCCEEDED(result))
        result = folder->GetTasks(TASK_ENUM_HIDDEN, reinterpret_cast<IRegisteredTaskCollection**>(registered.put()));
    if (SUCCEEDED(result))
        result = registered->get_Count(&count);
    for (LONG i = 1; SUCCEEDED(result) && i <= count; ++i) {
        ComPtr<IRegisteredTask> task;
        BSTR taskPath = nullptr, xml = nullptr;
        VARIANT_BOOL enabled = VARIANT_TRUE;
        result = registered->get_Item(itemIndex(i), reinterpret_cast<IRegisteredTask**>(task.put()));
        if (SUCCEEDED(result))
            result = task->get_Path(&taskPath);
        if (SUCCEEDED(result))
            result = task->get_Xml(&xml);
        if (SUCCEEDED(result))
            result = task->get_Enabled(&enabled);
        if (SUCCEEDED(result))
            tasks.push_back({taken(taskPath), taken(xml), enabled != VARIANT_FALSE});
    }
    return result;
}

} // namespace

void installTaskServiceCalls(Win32Api& api)
{
    api.TaskServiceConnect = [](ITaskService** connected) {
        *connected = nullptr;
        ComPtr<ITaskService> service;
        HRESULT result =
            ::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService, service.put());
        VARIANT none;
        ::VariantInit(&none);
        if (SUCCEEDED(result))
            result = service->Connect(none, none, none, none);
        if (SUCCEEDED(result))
            *connected = service.release();
        return result;
    };
    api.TaskFolderListU = listFolder;
    api.TaskSetEnabledU = [](ITaskService* service, const std::string& path, bool enabled) {
        ComPtr<IRegisteredTask> task;
        const HRESULT result = taskAt(service, path, task);
        return FAILED(result) ? result : task->put_Enabled(enabled ? VARIANT_TRUE : VARIANT_FALSE);
    };
    api.TaskDeleteU = [](ITaskService* service, const std::string& path) {
        std::wstring folderPath, name;
        if (!split(path, folderPath, name))
            return NO_TRANSLATION;
        ComPtr<ITaskFolder> folder;
        const HRESULT result = folderAt(service, folderPath, folder);
        return FAILED(result) ? result : folder->DeleteTask(Bstr(name), 0);
    };
    api.TaskRegisterU = [](ITaskService* service, const std::string& path, const std::string& xml) {
        std::wstring folderPath, name, definition;
        if (!split(path, folderPath, name) || !Text::toWide(xml, definition))
            return NO_TRANSLATION;
        ComPtr<ITaskFolder> folder;
        HRESULT result = folderAt(service, folderPath, folder);
        VARIANT none;
        ::VariantInit(&none);
        ComPtr<IRegisteredTask> registered;
        // The definition's own principal runs it, as when it was first registered.
        if (SUCCEEDED(result))
            result = folder->RegisterTask(Bstr(name), Bstr(definition), TASK_CREATE, none, none, TASK_LOGON_NONE, none,
                                          reinterpret_cast<IRegisteredTask**>(registered.put()));
        return result;
    };
    api.TaskRunU = [](ITaskService* service, const std::string& path) {
        ComPtr<IRegisteredTask> task;
        HRESULT result = taskAt(service, path, task);
        VARIANT none;
        ::VariantInit(&none);
        ComPtr<IRunningTask> running;
        if (SUCCEEDED(result))
            result = task->Run(none, reinterpret_cast<IRunningTask**>(running.put()));
        return result;
    };
}

} // namespace platform
