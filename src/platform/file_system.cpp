#include "platform/file_system.h"

namespace korrin::platform {

Status WriteWholeFile(FileSystem& fs, const std::string& path, std::string_view data) {
    std::unique_ptr<WritableFile> file;
    Status status = fs.NewWritableFile(path, &file);
    if (!status.ok()) return status;
    status = file->Append(data);
    const Status closed = file->Close();
    return status.ok() ? closed : status;
}

}  // namespace korrin::platform
