// SPDX-License-Identifier: MIT
// make_content: draws the default pictures, composes the soundtrack and packs them into the data archive.
// Usage: make_content OUTPUT_FOLDER
// Writes OUTPUT_FOLDER/vel.kod, OUTPUT_FOLDER/content-sheet.png, the program's icon in the sizes a desktop
// asks for (OUTPUT_FOLDER/icons/tav-SIZE.png, the title picture scaled down) and the test soundtracks under
// OUTPUT_FOLDER/test-content/. The same bytes on every run.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tools/make_content/composition.h"
#include "tools/make_content/pictures.h"
#include "tools/make_content/png_sheet.h"
#include "tools/make_content/targa_writer.h"
#include "tools/make_content/xm_writer.h"
#include "tools/make_content/zip_packer.h"

namespace {

const char* const kSoundtrackPath = "Data/sfx/trancen.xm";
const char* const kIconPicture = "data/gfx/vel.tga";
const int kIconSizes[] = {48, 128, 256};

bool writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

std::string baseName(const std::string& path)
{
    size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    return path.substr(slash + 1, dot - slash - 1);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_content OUTPUT_FOLDER\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    std::error_code ec;
    std::filesystem::create_directories(out, ec);

    std::vector<ArchiveMember> members;
    std::vector<Canvas> canvases;
    const std::vector<PictureEntry>& pictures = allPictures();
    canvases.reserve(pictures.size());
    for (const PictureEntry& p : pictures) {
        canvases.push_back(p.draw());
        members.push_back({p.path, encodeTarga(canvases.back())});
    }

    XmModule song = composeSoundtrack();
    members.push_back({kSoundtrackPath, encodeXm(song)});

    if (!writeZipArchive((out / "vel.kod").string(), members)) {
        std::fprintf(stderr, "make_content: cannot write %s\n", (out / "vel.kod").string().c_str());
        return 1;
    }
    bool ok = writeFile(out / "test-content" / "fast" / kSoundtrackPath, encodeXm(fastSoundtrack(song)));
    ok = writeFile(out / "test-content" / "bench" / kSoundtrackPath, encodeXm(benchSoundtrack(song))) && ok;
    ok = writeFile(out / "test-content" / "lengths" / kSoundtrackPath, encodeXm(patternLengthsModule(song))) && ok;

    std::vector<SheetItem> items;
    for (size_t i = 0; i < pictures.size(); ++i)
        items.push_back({baseName(pictures[i].path), &canvases[i]});
    ok = writePng((out / "content-sheet.png").string(), composeSheet(items)) && ok;
    std::filesystem::create_directories(out / "icons", ec);
    bool iconDrawn = false;
    for (size_t i = 0; i < pictures.size(); ++i) {
        if (pictures[i].path != kIconPicture)
            continue;
        iconDrawn = true;
        for (int size : kIconSizes) {
            Canvas icon(size, size);
            icon.drawScaled(canvases[i], 0, 0, size, size);
            ok = writePng((out / "icons" / ("tav-" + std::to_string(size) + ".png")).string(), icon) && ok;
        }
    }
    if (!ok || !iconDrawn) {
        std::fprintf(stderr, "make_content: cannot write the test soundtracks, the content sheet or the icons\n");
        return 1;
    }
    return 0;
}
