// nt5-gate: does a PE executable load on 32-bit Windows 2000 SP4?
//
// Reads the PE header and the import tables (normal and delay-load) and checks them against the export lists
// of Windows 2000 SP4's system DLLs (see exports/README.md). A problem is anything that makes the Windows 2000
// loader refuse the image or fail to bind an import:
//   - a machine other than i386 (Windows 2000 is 32-bit only);
//   - a subsystem version or an OS version above 5.0, or a subsystem version below 3.10;
//   - a DLL without an export list (not a Windows 2000 system DLL, e.g. libstdc++-6.dll, ucrtbase.dll);
//   - a function that the DLL does not export by that name on Windows 2000 SP4, or an ordinal it lacks there.
//
// Usage: nt5-gate [--exports DIR] [--list] FILE...
// Exit status: 0 no problem, 1 at least one problem, 2 usage, data or parse error.

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#ifndef NT5_GATE_EXPORTS_DIR
#define NT5_GATE_EXPORTS_DIR "exports"
#endif

namespace {

struct ParseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct Import {
    std::string dll;
    std::string name;  // empty for an import by ordinal
    unsigned ordinal = 0;
    bool delayLoad = false;
};

struct PeImage {
    uint16_t machine = 0;
    bool pe32Plus = false;
    uint16_t osMajor = 0, osMinor = 0;
    uint16_t subsystemMajor = 0, subsystemMinor = 0;
    uint16_t subsystem = 0;
    std::vector<Import> imports;
};

struct Section {
    uint32_t virtualAddress, virtualSize, rawPointer, rawSize;
};

class PeReader {
public:
    explicit PeReader(std::vector<unsigned char> bytes) : b_(std::move(bytes)) {}

    PeImage read() {
        PeImage image;
        if (b_.size() < 0x40 || b_[0] != 'M' || b_[1] != 'Z') throw ParseError("not an MZ executable");
        uint32_t pe = u32(0x3c);
        if (u32(pe) != 0x00004550) throw ParseError("no PE signature");
        image.machine = u16(pe + 4);
        uint16_t sectionCount = u16(pe + 6);
        uint16_t optionalSize = u16(pe + 20);
        uint32_t opt = pe + 24;
        uint16_t magic = u16(opt);
        if (magic == 0x10b) {
            image.pe32Plus = false;
            imageBase_ = u32(opt + 28);
        } else if (magic == 0x20b) {
            image.pe32Plus = true;
            imageBase_ = u64(opt + 24);
        } else {
            throw ParseError("unknown optional header magic");
        }
        image.osMajor = u16(opt + 40);
        image.osMinor = u16(opt + 42);
        image.subsystemMajor = u16(opt + 48);
        image.subsystemMinor = u16(opt + 50);
        image.subsystem = u16(opt + 68);
        uint32_t directories = opt + (image.pe32Plus ? 112 : 96);
        uint32_t directoryCount = u32(opt + (image.pe32Plus ? 108 : 92));
        for (uint32_t s = 0; s < sectionCount; ++s) {
            uint32_t h = opt + optionalSize + 40 * s;
            sections_.push_back({u32(h + 12), u32(h + 8), u32(h + 20), u32(h + 16)});
        }
        pe32Plus_ = image.pe32Plus;
        if (directoryCount > 1 && u32(directories + 8) != 0) readImports(u32(directories + 8), image.imports);
        if (directoryCount > 13 && u32(directories + 13 * 8) != 0)
            readDelayImports(u32(directories + 13 * 8), image.imports);
        return image;
    }

private:
    void need(uint64_t offset, uint64_t size) const {
        if (offset + size > b_.size()) throw ParseError("truncated file");
    }
    uint16_t u16(uint64_t o) const {
        need(o, 2);
        return uint16_t(b_[o] | b_[o + 1] << 8);
    }
    uint32_t u32(uint64_t o) const {
        need(o, 4);
        return uint32_t(b_[o]) | uint32_t(b_[o + 1]) << 8 | uint32_t(b_[o + 2]) << 16 | uint32_t(b_[o + 3]) << 24;
    }
    uint64_t u64(uint64_t o) const { return uint64_t(u32(o)) | uint64_t(u32(o + 4)) << 32; }

    // File offset of a relative virtual address.
    uint64_t offsetOf(uint64_t rva) const {
        for (const Section& s : sections_) {
            uint32_t span = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
            if (rva >= s.virtualAddress && rva < uint64_t(s.virtualAddress) + span) {
                if (rva - s.virtualAddress >= s.rawSize) throw ParseError("import data not backed by the file");
                return rva - s.virtualAddress + s.rawPointer;
            }
        }
        throw ParseError("import data outside every section");
    }

    std::string text(uint64_t rva) const {
        uint64_t o = offsetOf(rva);
        std::string out;
        for (;; ++o) {
            need(o, 1);
            if (b_[o] == 0) return out;
            out += char(b_[o]);
        }
    }

    void readThunks(uint64_t rva, const std::string& dll, bool delayLoad, std::vector<Import>& out) const {
        uint64_t o = offsetOf(rva);
        const uint64_t ordinalFlag = pe32Plus_ ? (uint64_t(1) << 63) : (uint64_t(1) << 31);
        for (;; o += pe32Plus_ ? 8 : 4) {
            uint64_t thunk = pe32Plus_ ? u64(o) : u32(o);
            if (thunk == 0) return;
            Import import;
            import.dll = dll;
            import.delayLoad = delayLoad;
            if (thunk & ordinalFlag)
                import.ordinal = unsigned(thunk & 0xffff);
            else
                import.name = text((thunk & 0x7fffffff) + 2);  // skip the hint
            out.push_back(import);
        }
    }

    void readImports(uint32_t rva, std::vector<Import>& out) const {
        for (uint64_t d = offsetOf(rva);; d += 20) {
            uint32_t lookup = u32(d), nameRva = u32(d + 12), addresses = u32(d + 16);
            if (nameRva == 0 && addresses == 0) return;
            readThunks(lookup ? lookup : addresses, text(nameRva), false, out);
        }
    }

    void readDelayImports(uint32_t rva, std::vector<Import>& out) const {
        for (uint64_t d = offsetOf(rva);; d += 32) {
            uint32_t attributes = u32(d), nameRva = u32(d + 4), names = u32(d + 16);
            if (nameRva == 0) return;
            // Old-style descriptors (attribute bit 0 clear) hold virtual addresses, not RVAs.
            uint64_t bias = (attributes & 1) ? 0 : imageBase_;
            readThunks(names - bias, text(nameRva - bias), true, out);
        }
    }

    std::vector<unsigned char> b_;
    std::vector<Section> sections_;
    uint64_t imageBase_ = 0;
    bool pe32Plus_ = false;
};

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return s;
}

std::string baseName(const std::string& dll) {
    std::string d = lower(dll);
    if (d.size() > 4 && d.compare(d.size() - 4, 4, ".dll") == 0) d.resize(d.size() - 4);
    return d;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream in(line);
    std::string f;
    while (std::getline(in, f, '\t')) out.push_back(f);
    return out;
}

// The Windows 2000 SP4 export data: which names and ordinals each system DLL offers, and why a name is missing.
struct ExportData {
    std::map<std::string, std::set<std::string>> names;
    std::map<std::string, std::map<unsigned, std::string>> ordinals;
    std::map<std::string, std::string> coverage;     // dll -> "exact" or a note on the approximation
    std::map<std::string, std::string> missingWhy;   // "dll\tname" -> reason

    static std::ifstream open(const std::string& path) {
        std::ifstream in(path);
        if (!in) throw ParseError("cannot read " + path);
        return in;
    }

    static ExportData load(const std::string& dir) {
        ExportData data;
        std::string line;
        {
            std::ifstream in = open(dir + "/coverage.tsv");
            while (std::getline(in, line)) {
                std::vector<std::string> f = fields(line);
                if (f.size() < 3) continue;
                data.coverage[f[0]] = f[1] == "exact" ? "exact" : f[2];
                std::ifstream list = open(dir + "/" + f[0] + ".txt");
                std::set<std::string>& names = data.names[f[0]];
                for (std::string n; std::getline(list, n);)
                    if (!n.empty()) names.insert(n);
                std::ifstream ordinalList(dir + "/" + f[0] + ".ordinals.txt");
                for (std::string o; std::getline(ordinalList, o);) {
                    std::vector<std::string> of = fields(o);
                    if (of.size() == 2) data.ordinals[f[0]][unsigned(std::stoul(of[0]))] = of[1];
                }
            }
        }
        std::ifstream notes = open(dir + "/not-on-2000.tsv");
        while (std::getline(notes, line)) {
            std::vector<std::string> f = fields(line);
            if (f.size() >= 4 && f[0] != "dll") data.missingWhy[f[0] + "\t" + f[1]] = f[2] + ": " + f[3];
        }
        if (data.names.empty()) throw ParseError("no export lists in " + dir);
        return data;
    }
};

// DLLs a toolchain may pull in that Windows 2000 does not have, with the remedy.
std::string notSystemReason(const std::string& d) {
    static const std::map<std::string, std::string> known = {
        {"ucrtbase", "the Universal CRT; link against msvcrt.dll"},
        {"libstdc++-6", "the GCC C++ runtime; link with -static"},
        {"libgcc_s_dw2-1", "the GCC runtime; link with -static"},
        {"libgcc_s_seh-1", "the GCC runtime; link with -static"},
        {"libwinpthread-1", "winpthreads (posix thread model); use the -win32 compilers"},
    };
    auto it = known.find(d);
    if (it != known.end()) return it->second;
    if (d.rfind("api-ms-win-", 0) == 0 || d.rfind("ext-ms-win-", 0) == 0) return "an API set (Windows 7 and later)";
    return "no Windows 2000 SP4 export list for it";
}

struct Verdict {
    std::vector<std::string> problems;
    std::vector<std::string> notes;
    std::vector<std::string> fine;
};

std::string version(uint16_t major, uint16_t minor) { return std::to_string(major) + "." + std::to_string(minor); }

Verdict check(const PeImage& image, const ExportData& data) {
    Verdict v;
    if (image.machine != 0x14c) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "0x%x", image.machine);
        v.problems.push_back(std::string("machine ") + hex + " is not i386; Windows 2000 is 32-bit only");
    }
    auto ss = std::make_pair(image.subsystemMajor, image.subsystemMinor);
    if (ss > std::make_pair<uint16_t, uint16_t>(5, 0) || ss < std::make_pair<uint16_t, uint16_t>(3, 10))
        v.problems.push_back("subsystem version " + version(ss.first, ss.second) +
                             " is outside 3.10..5.0; Windows 2000 refuses the image");
    if (std::make_pair(image.osMajor, image.osMinor) > std::make_pair<uint16_t, uint16_t>(5, 0))
        v.problems.push_back("OS version " + version(image.osMajor, image.osMinor) + " is above 5.0");

    std::set<std::string> approximate;
    for (const Import& im : image.imports) {
        std::string d = baseName(im.dll);
        std::string what = d + ".dll!" + (im.name.empty() ? "#" + std::to_string(im.ordinal) : im.name) +
                           (im.delayLoad ? " (delay-load)" : "");
        auto list = data.names.find(d);
        if (list == data.names.end()) {
            v.problems.push_back(what + ": " + d + ".dll is not a Windows 2000 system DLL (" + notSystemReason(d) +
                                 ")");
            continue;
        }
        if (data.coverage.at(d) != "exact") approximate.insert(d);
        if (!im.name.empty()) {
            if (list->second.count(im.name)) {
                v.fine.push_back(what);
            } else {
                auto why = data.missingWhy.find(d + "\t" + im.name);
                v.problems.push_back(what + ": not exported by name by Windows 2000 SP4 " + d + ".dll" +
                                     (why != data.missingWhy.end() ? " (" + why->second + ")" : ""));
            }
        } else {
            auto ordinals = data.ordinals.find(d);
            if (ordinals != data.ordinals.end() && ordinals->second.count(im.ordinal))
                v.fine.push_back(what + " = " + ordinals->second.at(im.ordinal));
            else
                v.problems.push_back(what + ": ordinal not known to exist in Windows 2000 SP4 " + d + ".dll");
        }
    }
    for (const std::string& d : approximate) v.notes.push_back(d + ".dll list is " + data.coverage.at(d));
    return v;
}

std::vector<unsigned char> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ParseError("cannot open the file");
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

int usage() {
    std::cerr << "usage: nt5-gate [--exports DIR] [--list] FILE...\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string exportsDir = NT5_GATE_EXPORTS_DIR;
    bool listAll = false;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--exports" && i + 1 < argc)
            exportsDir = argv[++i];
        else if (a == "--list")
            listAll = true;
        else if (!a.empty() && a[0] == '-')
            return usage();
        else
            files.push_back(a);
    }
    if (files.empty()) return usage();

    ExportData data;
    try {
        data = ExportData::load(exportsDir);
    } catch (const std::exception& e) {
        std::cerr << "nt5-gate: " << e.what() << "\n";
        return 2;
    }

    int status = 0;
    for (const std::string& path : files) {
        PeImage image;
        try {
            image = PeReader(readFile(path)).read();
        } catch (const std::exception& e) {
            std::cout << path << ": ERROR: " << e.what() << "\n";
            status = 2;
            continue;
        }
        Verdict v = check(image, data);
        std::cout << path << ": " << (v.problems.empty() ? "PASS" : "FAIL") << ": " << image.imports.size()
                  << " imports, " << v.problems.size() << " problem(s); subsystem "
                  << version(image.subsystemMajor, image.subsystemMinor) << ", OS "
                  << version(image.osMajor, image.osMinor) << "\n";
        for (const std::string& p : v.problems) std::cout << "  NOT ON WINDOWS 2000: " << p << "\n";
        for (const std::string& n : v.notes) std::cout << "  note: " << n << "\n";
        if (listAll)
            for (const std::string& f : v.fine) std::cout << "  ok: " << f << "\n";
        if (!v.problems.empty() && status == 0) status = 1;
    }
    return status;
}
