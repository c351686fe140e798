#include "shell/platform_port.h"

#include <filesystem>
#include <system_error>

namespace vp {

bool FileSystemPort::FolderExists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

bool FileSystemPort::CreateFolder(const std::string& path) {
    std::error_code ec;
    return std::filesystem::create_directory(path, ec) && !ec;
}

}  // namespace vp
