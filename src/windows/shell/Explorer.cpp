#include "windows/shell/Explorer.h"

#include "windows/process/ProcessHelper.h"

namespace windows::shell {

void Explorer::select(const std::string& path)
{
    ProcessHelper::createProcess("explorer.exe /select,\"" + path + "\"");
}

} // namespace windows::shell
