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
        // Not ours, and the Wine prefixes change while other tests run.
        if (entry->is_directory() &&
            (name == "CMakeFiles" || name.string().starts_with("wine-prefix"))) {
            entry.disable_recursion_pending();
        } else if (entry->is_regular_file() && entry->path().extension() == ".exe") {
            found.push_back(entry->path());
        }
    }
    return found;
}

// The value at `path` in a version record, or nothing.
const void* Query(std::vector<char>& record, const std::string& path) {
    void* value = nullptr;
    UINT length = 0;
    return VerQueryValueA(record.data(), path.c_str(), &value, &length) && length > 0 ? value
                                                                                      : nullptr;
}

// Four numbers, "a.b.c.d", from a version's two halves.
std::string Numbers(DWORD high, DWORD low) {
    return std::to_string(HIWORD(high)) + "." + std::to_string(LOWORD(high)) + "." +
           std::to_string(HIWORD(low)) + "." + std::to_string(LOWORD(low));
}

struct IconRelease {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using Icon = std::unique_ptr<std::remove_pointer_t<HICON>, IconRelease>;

// An icon's colour and mask bitmaps, bit for bit.
std::vector<char> Pixels(const Icon& icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon.get(), &info)) {
        return {};
    }
    std::vector<char> pixels;
    for (HBITMAP bitmap : {info.hbmColor, info.hbmMask}) {
        BITMAP size{};
        GetObject(bitmap, sizeof size, &size);
        const std::size_t start = pixels.size();
        pixels.resize(start + static_cast<std::size_t>(size.bmWidthBytes * size.bmHeight));
        GetBitmapBits(bitmap, static_cast<LONG>(pixels.size() - start), pixels.data() + start);
        DeleteObject(bitmap);
    }
    return pixels;
}

TEST(WindowsProgramFiles, EachCarriesTheVersionRecordAndTheIcon) {
    const std::vector<fs::path> programs = ProgramFiles();
    ASSERT_GE(programs.size(), 2u) << "this test program and the probe at least";

    const Icon drawn(
        static_cast<HICON>(LoadImageA(nullptr, HostPath(QV4130_ICON_FILE).string().c_str(),
                                      IMAGE_ICON, 32, 32, LR_LOADFROMFILE)));
    const std::vector<char> expectedIcon = Pixels(drawn);
    ASSERT_FALSE(expectedIcon.empty()) << QV4130_ICON_FILE;

    for (const fs::path& program : programs) {
        SCOPED_TRACE(program.string());
        const std::string path = program.string();
        DWORD ignored = 0;
        std::vector<char> record(GetFileVersionInfoSizeA(path.c_str(), &ignored));
        ASSERT_TRUE(
            GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(record.size()), record.data()));
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(Query(record, "\\"));
        ASSERT_NE(fixed, nullptr);
        EXPECT_EQ(Numbers(fixed->dwFileVersionMS, fixed->dwFileVersionLS), "2.0.0.1");
        EXPECT_EQ(Numbers(fixed->dwProductVersionMS, fixed->dwProductVersionLS), "2.0.0.1");
        // The strings of the table for the record's first language and code page.
        const auto* translation =
            static_cast<const WORD*>(Query(record, "\\VarFileInfo\\Translation"));
        ASSERT_NE(translation, nullptr);
        char block[64];
        std::snprintf(block, sizeof block, "\\StringFileInfo\\%04X%04X\\", translation[0],
                      translation[1]);
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
            EXPECT_STREQ(static_cast<const char*>(Query(record, block + std::string(name))), value)
                << name;
        }

        HINSTANCE self = GetModuleHandleA(nullptr);
        EXPECT_EQ(reinterpret_cast<UINT_PTR>(ExtractIconA(self, path.c_str(), UINT(-1))), 1u)
            << "one icon";
        EXPECT_EQ(Pixels(Icon(ExtractIconA(self, path.c_str(), 0))), expectedIcon)
            << "the program's icon, 32 x 32";
    }
}

} // namespace
} // namespace qv4130::test
