#include "platform/sim/synthetic_names.h"

namespace kx::sim {

namespace {

constexpr const char* kWords[] = {
    "report",  "invoice", "photo",     "setup",    "config",    "data",     "backup",   "project",
    "readme",  "system",  "driver",    "update",   "cache",     "temp",     "build",    "release",
    "debug",   "test",    "main",      "index",    "image",     "document", "music",    "video",
    "notes",   "budget",  "summary",   "draft",    "final",     "archive",  "client",   "server",
    "network", "module",  "library",   "resource", "settings",  "profile",  "account",  "user",
    "window",  "service", "manager",   "helper",   "utility",   "common",   "shared",   "local",
    "remote",  "package", "install",   "license",  "changelog", "history",  "export",   "import",
    "source",  "target",  "output",    "input",    "sample",    "example",  "template", "theme",
    "icon",    "font",    "sound",     "effect",   "player",    "editor",   "viewer",   "reader",
    "writer",  "parser",  "engine",    "core",     "kernel",    "runtime",  "native",   "wrapper",
    "plugin",  "addon",   "extension", "schema",   "model",     "view",     "control",  "handler",
    "event",   "queue",   "thread",    "task",     "job",       "worker",   "record",   "table",
    "query",   "search",  "filter",    "sort",     "result",    "page",     "chapter",  "lecture",
    "meeting", "minutes", "agenda",    "contract", "offer",     "order",    "receipt",  "statement",
    "holiday", "family",  "wedding",   "birthday", "trip",      "beach",    "mountain", "garden",
    "recipe",  "letter",  "resume",    "thesis",   "paper",     "slides",   "figure",   "chart",
    "map",     "level",   "save",      "game",     "mod",       "patch",    "crash",    "dump",
    "trace",   "log",     "metrics",   "stats",    "daily",     "weekly",   "monthly",  "annual",
    "alpha",   "beta",    "gamma",     "delta",    "omega",     "north",    "south",    "east",
    "west",    "red",     "green",     "blue",     "black",     "white",    "quick",    "new",
};
constexpr unsigned kWordCount = sizeof(kWords) / sizeof(kWords[0]);

struct Extension {
    const char* text;
    unsigned weight;
};
constexpr Extension kExtensions[] = {
    {".txt", 8},  {".dll", 12}, {".exe", 5}, {".jpg", 8}, {".png", 8},  {".docx", 3},
    {".cs", 4},   {".h", 6},    {".cpp", 5}, {".log", 4}, {".json", 4}, {".xml", 4},
    {".ini", 2},  {".pdf", 3},  {".mp3", 2}, {".mp4", 1}, {".zip", 1},  {".js", 5},
    {".html", 2}, {".css", 2},  {".py", 2},  {".sys", 1}, {".dat", 2},  {".tmp", 1},
    {".xlsx", 1}, {".pptx", 1}, {".gif", 1}, {".ico", 1}, {".mui", 2},  {".manifest", 1},
    {".cat", 1},  {".md", 1},   {".svg", 1}, {".bin", 1}, {".cab", 1},  {".msi", 1},
};

constexpr const char16_t* kCjkWords[] = {
    u"\u6587\u6863",       u"\u62A5\u544A",
    u"\u7167\u7247",       u"\u4F1A\u8BAE\u8BB0\u5F55",
    u"\u9879\u76EE",       u"\u65B0\u5EFA\u6587\u4EF6\u5939",
    u"\u56FE\u7247",       u"\u97F3\u4E50",
    u"\u5907\u4EFD",       u"\u5408\u540C",
    u"\u8D44\u6599",       u"\u5DE5\u4F5C",
    u"\u5199\u771F",       u"\u8CC7\u6599",
    u"\u30C6\u30B9\u30C8", u"\u8B70\u4E8B\u9332",
};
constexpr unsigned kCjkCount = sizeof(kCjkWords) / sizeof(kCjkWords[0]);

constexpr const char16_t* kAccentedWords[] = {
    u"caf\u00E9",          u"r\u00E9sum\u00E9", u"\u00DCbersicht",      u"na\u00EFve",
    u"\u00C5ngstr\u00F6m", u"Stra\u00DFe",      u"se\u00F1or",          u"Gr\u00FC\u00DFe",
    u"fa\u00E7ade",        u"\u00C4rger",       u"cr\u00E8me",          u"Z\u00FCrich",
    u"\u00E9t\u00E9",      u"K\u00F8benhavn",   u"\u0141\u00F3d\u017A", u"sm\u00F6rg\u00E5sbord",
};
constexpr unsigned kAccentedCount = sizeof(kAccentedWords) / sizeof(kAccentedWords[0]);

unsigned ExtensionWeightTotal() {
    unsigned total = 0;
    for (const Extension& extension : kExtensions)
        total += extension.weight;
    return total;
}

enum class Case { kLower, kCapital, kUpper };

void AppendAscii(std::u16string* name, const char* text, Case letterCase = Case::kLower) {
    for (std::size_t i = 0; text[i] != 0; ++i) {
        char c = text[i];
        const bool up = letterCase == Case::kUpper || (letterCase == Case::kCapital && i == 0);
        if (up && c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        name->push_back(static_cast<char16_t>(c));
    }
}

void AppendNumber(std::u16string* name, std::uint32_t value, int minDigits) {
    char digits[12];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0 || count < minDigits);
    while (count > 0)
        name->push_back(static_cast<char16_t>(digits[--count]));
}

const char* Word(SyntheticRandom& random) {
    return kWords[random.Below(kWordCount)];
}

Case RandomCase(SyntheticRandom& random) {
    const std::uint32_t roll = random.Below(10);
    return roll < 5 ? Case::kLower : (roll < 9 ? Case::kCapital : Case::kUpper);
}

// The part before the extension, in one of the shapes names take on real disks.
void AppendStem(SyntheticRandom& random, std::u16string* name) {
    const std::uint32_t shape = random.Below(100);
    if (shape < 3) {
        name->append(kCjkWords[random.Below(kCjkCount)]);
        if (random.Percent(40))
            AppendNumber(name, random.Below(100), 1);
    } else if (shape < 6) {
        name->append(kAccentedWords[random.Below(kAccentedCount)]);
    } else if (shape < 30) {
        AppendAscii(name, Word(random), RandomCase(random));
    } else if (shape < 50) {
        const Case letterCase = RandomCase(random);
        AppendAscii(name, Word(random), letterCase);
        name->push_back(random.Percent(60) ? u'_' : u'-');
        AppendAscii(name, Word(random), letterCase);
    } else if (shape < 62) {
        AppendAscii(name, Word(random), Case::kLower);
        AppendAscii(name, Word(random), Case::kCapital);  // camelCase
    } else if (shape < 74) {
        AppendAscii(name, Word(random), RandomCase(random));
        AppendNumber(name, random.Below(1000), random.Percent(50) ? 1 : 3);
    } else if (shape < 82) {
        AppendAscii(name, random.Percent(50) ? "IMG_" : "DSC", Case::kUpper);
        AppendNumber(name, random.Below(10000), 4);
    } else if (shape < 88) {
        AppendAscii(name, Word(random), Case::kCapital);
        AppendAscii(name, " (");
        AppendNumber(name, random.Below(9) + 1, 1);
        name->push_back(u')');
    } else if (shape < 94) {
        static constexpr char kHex[] = "0123456789abcdef";
        const std::uint64_t bits = random.Next();
        for (int i = 0; i < 16; ++i)
            name->push_back(static_cast<char16_t>(kHex[(bits >> (4 * i)) & 15]));
    } else {
        AppendAscii(name, Word(random), Case::kCapital);
        name->push_back(u' ');
        AppendAscii(name, Word(random), Case::kLower);
        name->push_back(u'.');
        AppendNumber(name, 2000 + random.Below(27), 4);
    }
}

}  // namespace

void MakeDirectoryName(SyntheticRandom& random, std::u16string* name) {
    name->clear();
    const std::uint32_t shape = random.Below(100);
    if (shape < 4) {
        name->append(kCjkWords[random.Below(kCjkCount)]);
    } else if (shape < 7) {
        name->append(kAccentedWords[random.Below(kAccentedCount)]);
    } else if (shape < 60) {
        AppendAscii(name, Word(random), random.Percent(60) ? Case::kCapital : Case::kLower);
    } else if (shape < 75) {
        AppendAscii(name, Word(random), Case::kCapital);
        name->push_back(u' ');
        AppendAscii(name, Word(random), Case::kCapital);
    } else if (shape < 88) {
        AppendAscii(name, Word(random), Case::kLower);
        name->push_back(random.Percent(50) ? u'_' : u'-');
        AppendNumber(name, random.Below(100), 2);
    } else {
        AppendAscii(name, Word(random), Case::kCapital);
        AppendAscii(name, ".v");
        AppendNumber(name, random.Below(20), 1);
    }
}

void MakeFileName(SyntheticRandom& random, std::u16string* name) {
    static const unsigned totalWeight = ExtensionWeightTotal();
    name->clear();
    AppendStem(random, name);
    if (random.Percent(3))
        return;  // Makefile, LICENSE, hosts: no extension at all
    unsigned pick = random.Below(totalWeight);
    for (const Extension& extension : kExtensions) {
        if (pick < extension.weight) {
            AppendAscii(name, extension.text, random.Percent(8) ? Case::kUpper : Case::kLower);
            return;
        }
        pick -= extension.weight;
    }
}

}  // namespace kx::sim
