#include "resolve/file_info.h"

#include "resolve/derived_name.h"

#include "common/text.h"
#include "resolve/file_naming.h"
#include "resolve/site_index.h"

namespace tarnwick::resolve {

FileInfo GetFileInfo(transfer::Download& download, const std::string& link, int site_index) {
    download.SetUrl(link);
    download.RequestInformation();
    FileInfo info;
    const std::string name = download.RemoteFileName();
    const float size = download.FileSize();
    info.SizeText = FormatFileSize(size);
    if (download.FileExists() && size == -1.0f) info.SizeText = "0";
    info.FileName = DeriveFileName(link, name, site_index);
    return info;
}

} // namespace tarnwick::resolve
