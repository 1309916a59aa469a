// What Windows shows of every program file the build makes (Explorer's
// Properties, Details): the version record and its strings, read back as Windows
// reads them, and the program's icon.
#include <gtest/gtest.h>

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace qv4130::test {
namespace {

namespace fs = std::filesystem;

// A path of the build machine, as this program reaches it: under Wine its root
// is drive Z:.
fs::path HostPath(const std::string& path) {
    return path.starts_with('/') ? fs::path("Z:" + path) : fs::path(path);
}

// Every .exe in the build folder, whichever target made it; not CMake's own
// probes of the compiler, nor the Wine prefix.
std::vector<fs::path> ProgramFiles() {
    std::vector<fs::path> found;
    const fs::path build = HostPath(QV4130_BUILD_FOLDER);
    for (auto entry = fs::recursive_directory_iterator(build);
         entry != fs::recursive_directory_iterator(); ++entry) {
        const fs::path name = entry->path().filename();
        if (entry->is_directory() && (name == "CMakeFiles" || name == "wine-prefix")) {
            entry.disable_recursion_pending();
        } else if (entry->is_regular_file() && entry->path().extension() == ".exe") {
            found.push_back(entry->path());
        }
    }
    return found;
}

// The version record of a program file.
class VersionRecord {
public:
    explicit VersionRecord(const fs::path& file) {
        const std::string path = file.string();
        DWORD ignored = 0;
        data_.resize(GetFileVersionInfoSizeA(path.c_str(), &ignored));
        if (data_.empty() ||
            !GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(data_.size()), data_.data())) {
            data_.clear();
        }
    }
    bool Present() const { return !data_.empty(); }

    // File and product version as four numbers, "a.b.c.d".
    std::string FileVersion() const {
        return Numbers(Fixed().dwFileVersionMS, Fixed().dwFileVersionLS);
    }
    std::string ProductVersion() const {
        return Numbers(Fixed().dwProductVersionMS, Fixed().dwProductVersionLS);
    }

    // A string of the table for the record's first language and code page.
    std::string String(const std::string& name) const {
        const auto* translation = static_cast<const WORD*>(Query("\\VarFileInfo\\Translation"));
        if (translation == nullptr) {
            return "(no translation)";
        }
        char block[64];
        std::snprintf(block, sizeof block, "\\StringFileInfo\\%04X%04X\\", translation[0],
                      translation[1]);
        const auto* value = static_cast<const char*>(Query(block + name));
        return value == nullptr ? "(missing)" : value;
    }

private:
    const void* Query(const std::string& path) const {
        void* value = nullptr;
        UINT length = 0;
        return VerQueryValueA(data_.data(), path.c_str(), &value, &length) && length > 0 ? value
                                                                                         : nullptr;
    }
    const VS_FIXEDFILEINFO& Fixed() const {
        static const VS_FIXEDFILEINFO none{};
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(Query("\\"));
        return fixed == nullptr ? none : *fixed;
    }
    static std::string Numbers(DWORD high, DWORD low) {
        return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
               std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
    }

    std::vector<char> data_;
};

// Icons, bitmaps and the screen's device context, given back when done with.
struct IconRelease {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, IconRelease>;
struct BitmapRelease {
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapRelease>;
struct ScreenRelease {
    void operator()(HDC screen) const { ReleaseDC(nullptr, screen); }
};
using Screen = std::unique_ptr<std::remove_pointer_t<HDC>, ScreenRelease>;

// An icon's colour and mask pixels, 32 bits each, top row first.
std::vector<DWORD> Pixels(const Icon& icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon.get(), &info)) {
        return {};
    }
    const Bitmap colour(info.hbmColor);
    const Bitmap mask(info.hbmMask);
    const Screen screen(GetDC(nullptr));
    std::vector<DWORD> pixels;
    for (const Bitmap* bitmap : {&colour, &mask}) {
        BITMAP size{};
        GetObject(bitmap->get(), sizeof size, &size);
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        format.bmiHeader.biWidth = size.bmWidth;
        format.bmiHeader.biHeight = -size.bmHeight; // top row first
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        format.bmiHeader.biCompression = BI_RGB;
        std::vector<DWORD> rows(static_cast<std::size_t>(size.bmWidth * size.bmHeight));
        GetDIBits(screen.get(), bitmap->get(), 0, static_cast<UINT>(size.bmHeight), rows.data(),
                  &format, DIB_RGB_COLORS);
        pixels.push_back(static_cast<DWORD>(size.bmWidth));
        pixels.insert(pixels.end(), rows.begin(), rows.end());
    }
    return pixels;
}

TEST(WindowsProgramFiles, EachCarriesTheVersionRecordAndTheIcon) {
    const std::vector<fs::path> programs = ProgramFiles();
    ASSERT_GE(programs.size(), 2u) << "this test program and the probe at least";

    const Icon drawn(
        static_cast<HICON>(LoadImageA(nullptr, HostPath(QV4130_ICON_FILE).string().c_str(),
                                      IMAGE_ICON, 32, 32, LR_LOADFROMFILE)));
    const std::vector<DWORD> expectedIcon = Pixels(drawn);
    ASSERT_FALSE(expectedIcon.empty()) << QV4130_ICON_FILE;

    for (const fs::path& program : programs) {
        SCOPED_TRACE(program.string());
        const VersionRecord record(program);
        ASSERT_TRUE(record.Present());
        EXPECT_EQ(record.FileVersion(), "2.0.0.1");
        EXPECT_EQ(record.ProductVersion(), "2.0.0.1");
        // clang-format off
        const std::pair<const char*, const char*> strings[] = {
            {"CompanyName", "Tessaron Inc."},
            {"FileDescription", "QV4130 Evaluation Board Software"},
            {"FileVersion", "2.00.0001"},
            {"ProductName", "QV4130"},
            {"ProductVersion", "2.00.0001"},
            {"LegalCopyright", "Copyright (C) 2026 Tessaron Inc."}};
        // clang-format on
        for (const auto& [name, value] : strings) {
            EXPECT_EQ(record.String(name), value) << name;
        }

        const std::string path = program.string();
        HINSTANCE self = GetModuleHandleA(nullptr);
        EXPECT_EQ(reinterpret_cast<UINT_PTR>(ExtractIconA(self, path.c_str(), UINT(-1))), 1u)
            << "one icon";
        EXPECT_EQ(Pixels(Icon(ExtractIconA(self, path.c_str(), 0))), expectedIcon)
            << "the program's icon, 32 x 32";
    }
}

} // namespace
} // namespace qv4130::test
