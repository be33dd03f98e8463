// SPDX-License-Identifier: MIT
#include "tools/make_content/zip_packer.h"

#include <cstring>
#include <minizip/zip.h>

bool writeZipArchive(const std::string& path, const std::vector<ArchiveMember>& members)
{
    zipFile zf = zipOpen(path.c_str(), APPEND_STATUS_CREATE);
    if (!zf)
        return false;
    bool ok = true;
    for (const ArchiveMember& member : members) {
        zip_fileinfo info;
        std::memset(&info, 0, sizeof info);
        // A fixed date so that every build writes the same bytes (dosDate 0 makes minizip use tmz_date).
        info.tmz_date.tm_year = 2004;
        info.tmz_date.tm_mon = 0;
        info.tmz_date.tm_mday = 1;
        info.tmz_date.tm_hour = 12;
        if (zipOpenNewFileInZip(zf, member.name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr, Z_DEFLATED,
                                Z_BEST_COMPRESSION) != ZIP_OK) {
            ok = false;
            break;
        }
        if (!member.data.empty() &&
            zipWriteInFileInZip(zf, member.data.data(), static_cast<unsigned>(member.data.size())) != ZIP_OK)
            ok = false;
        if (zipCloseFileInZip(zf) != ZIP_OK)
            ok = false;
        if (!ok)
            break;
    }
    if (zipClose(zf, nullptr) != ZIP_OK)
        ok = false;
    return ok;
}
