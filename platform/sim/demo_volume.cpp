#include "platform/sim/demo_volume.h"

#include <map>
#include <string>

#include "platform/usn_layout.h"

namespace kx::sim {

namespace {

struct DemoFile {
    const char16_t* path;  // below the root; a trailing backslash marks a directory
    std::int64_t size;
};

// 2026-03-14 09:26 UTC as a FILETIME, and a step of about a day and a half between files.
constexpr std::uint64_t kDemoBaseTime = 134178567600000000ull;
constexpr std::uint64_t kDemoTimeStep = 1296000000000ull;

constexpr DemoFile kDemoFiles[] = {
    {u"Windows\\", 0},
    {u"Windows\\System32\\", 0},
    {u"Windows\\System32\\notepad.exe", 201216},
    {u"Windows\\System32\\calc.exe", 27648},
    {u"Windows\\System32\\kernel32.dll", 770048},
    {u"Windows\\System32\\drivers\\", 0},
    {u"Windows\\System32\\drivers\\etc\\", 0},
    {u"Windows\\System32\\drivers\\etc\\hosts", 824},
    {u"Windows\\explorer.exe", 5456112},
    {u"Windows\\win.ini", 92},
    {u"Program Files\\", 0},
    {u"Program Files\\Kestrix\\", 0},
    {u"Program Files\\Kestrix\\kxsearch.exe", 1843200},
    {u"Program Files\\Kestrix\\README.txt", 2048},
    {u"Program Files\\7-Zip\\", 0},
    {u"Program Files\\7-Zip\\7z.exe", 545280},
    {u"Program Files\\7-Zip\\7z.dll", 1738752},
    {u"Users\\", 0},
    {u"Users\\demo\\", 0},
    {u"Users\\demo\\Documents\\", 0},
    {u"Users\\demo\\Documents\\Quarterly Report.docx", 48213},
    {u"Users\\demo\\Documents\\budget-2026.xlsx", 19876},
    {u"Users\\demo\\Documents\\notes.txt", 1023},
    {u"Users\\demo\\Documents\\readme.md", 1024},
    {u"Users\\demo\\Documents\\slides.pptx", 3145728},
    {u"Users\\demo\\Documents\\manual.pdf", 1073741824},
    {u"Users\\demo\\Documents\\\u4F1A\u8BAE\u8BB0\u5F55.docx", 35120},
    {u"Users\\demo\\Documents\\\u00C4rger und Freude.txt", 512},
    {u"Users\\demo\\Pictures\\", 0},
    {u"Users\\demo\\Pictures\\holiday.jpg", 2457600},
    {u"Users\\demo\\Pictures\\screenshot.png", 734003},
    {u"Users\\demo\\Pictures\\logo.svg", 4410},
    {u"Users\\demo\\Pictures\\\u5BB6\u5EAD\u7167\u7247.jpeg", 3932160},
    {u"Users\\demo\\Music\\", 0},
    {u"Users\\demo\\Music\\song.mp3", 5242880},
    {u"Users\\demo\\Music\\podcast.flac", 31457280},
    {u"Users\\demo\\Videos\\", 0},
    {u"Users\\demo\\Videos\\clip.mp4", 73400320},
    {u"Users\\demo\\Videos\\lecture.mkv", 1610612736},
    {u"Users\\demo\\Downloads\\", 0},
    {u"Users\\demo\\Downloads\\setup.msi", 15728640},
    {u"Users\\demo\\Downloads\\archive.zip", 10485760},
    {u"Users\\demo\\Downloads\\sources.tar.gz", 2097152},
    {u"Users\\demo\\Downloads\\backup.7z", 52428800},
    {u"Users\\demo\\Downloads\\MY_README", 300},
    {u"Users\\demo\\projects\\", 0},
    {u"Users\\demo\\projects\\search\\", 0},
    {u"Users\\demo\\projects\\search\\main.cpp", 8192},
    {u"Users\\demo\\projects\\search\\name_pool.h", 2048},
    {u"Users\\demo\\projects\\search\\CMakeLists.txt", 1536},
    {u"Users\\demo\\projects\\search\\build.log", 65536},
};

}  // namespace

void PopulateDemoVolume(SimVolume& volume) {
    std::map<std::u16string, std::uint64_t> directories;
    std::uint64_t time = kDemoBaseTime;
    for (const DemoFile& file : kDemoFiles) {
        std::u16string path = file.path;
        const bool isDirectory = !path.empty() && path.back() == u'\\';
        if (isDirectory)
            path.pop_back();
        const std::size_t slash = path.rfind(u'\\');
        const std::u16string parentPath =
            slash == std::u16string::npos ? u"" : path.substr(0, slash);
        const std::u16string name = slash == std::u16string::npos ? path : path.substr(slash + 1);
        const auto parent = directories.find(parentPath);
        const std::uint64_t parentFrn =
            parent == directories.end() ? kRootDirectoryFrn : parent->second;
        time += kDemoTimeStep;
        const std::uint64_t frn = volume.AddEntryQuietly(
            parentFrn, name,
            isDirectory ? FILE_ATTRIBUTE_DIRECTORY_BIT : FILE_ATTRIBUTE_ARCHIVE_BIT, file.size,
            time + kDemoTimeStep / 3, time);
        if (isDirectory)
            directories[path] = frn;
    }
}

}  // namespace kx::sim
