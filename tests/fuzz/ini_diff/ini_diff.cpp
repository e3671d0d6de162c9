// Runs the profile-file cases of cases.txt through GetPrivateProfileStringA and
// WritePrivateProfileStringA and prints each answer as hex, one line per step. Built for Windows
// it asks the system (Wine, in the differential check); built on the host it asks the simulated
// desktop. The two outputs must be the same.
//
//   ini_diff <cases.txt> <folder for the case files, as the profile functions name it>
//
// cases.txt, one step a line; tokens are "quoted" with \r \n \t \\ \" \xNN escapes:
//   case <name>                  a fresh file <folder><name>.ini (none until `file` or a write)
//   file "<bytes>"               the file's whole content
//   read "<section>" "<key>"     GetPrivateProfileStringA with an empty default, 1024 bytes
//   write "<section>" "<key>" "<value>"
//   dump                         the file's bytes
//   # ...                        a comment
#ifdef _WIN32
#include <windows.h>
#else
#include "SimDesktop.h"
#endif

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

#ifdef _WIN32
struct Profiles {
    unsigned long Get(const char* section, const char* key, char* out, unsigned long size,
                      const char* file) {
        return GetPrivateProfileStringA(section, key, "", out, size, file);
    }
    int Write(const char* section, const char* key, const char* value, const char* file) {
        return WritePrivateProfileStringA(section, key, value, file) ? 1 : 0;
    }
    void Store(const std::string& file, const std::string& bytes) {
        std::ofstream(file, std::ios::binary) << bytes;
    }
    std::string Load(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
};
#else
struct Profiles {
    SimDesktop sim;
    unsigned long Get(const char* section, const char* key, char* out, unsigned long size,
                      const char* file) {
        return sim.GetPrivateProfileStringA(section, key, "", out, size, file);
    }
    int Write(const char* section, const char* key, const char* value, const char* file) {
        return sim.WritePrivateProfileStringA(section, key, value, file) ? 1 : 0;
    }
    void Store(const std::string& file, const std::string& bytes) { sim.WriteProfile(file, bytes); }
    std::string Load(const std::string& file) { return sim.ReadProfile(file); }
};
#endif

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (unsigned char b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out.empty() ? "-" : out;
}

// The words of one line: bare words and "quoted" tokens with escapes.
bool Split(const std::string& line, std::vector<std::string>& words) {
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
            continue;
        }
        std::string word;
        if (line[i] != '"') {
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                word += line[i++];
            words.push_back(word);
            continue;
        }
        for (++i;; ++i) {
            if (i >= line.size()) return false;
            char c = line[i];
            if (c == '"') break;
            if (c == '\\') {
                if (++i >= line.size()) return false;
                switch (line[i]) {
                case 'r':
                    c = '\r';
                    break;
                case 'n':
                    c = '\n';
                    break;
                case 't':
                    c = '\t';
                    break;
                case 'x':
                    if (i + 2 >= line.size()) return false;
                    c = static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
                    i += 2;
                    break;
                default:
                    c = line[i];
                }
            }
            word += c;
        }
        ++i;
        words.push_back(word);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: ini_diff <cases.txt> <folder>\n");
        return 2;
    }
    std::ifstream cases(argv[1], std::ios::binary);
    if (!cases) {
        std::fprintf(stderr, "ini_diff: cannot read %s\n", argv[1]);
        return 2;
    }
    const std::string folder = argv[2];
    Profiles profiles;
    std::string file, name, line;
    int number = 0, lineNo = 0;
    while (std::getline(cases, line)) {
        ++lineNo;
        std::vector<std::string> w;
        if (!Split(line, w)) {
            std::fprintf(stderr, "ini_diff: line %d: bad quoting\n", lineNo);
            return 2;
        }
        if (w.empty() || w[0][0] == '#') continue;
        const std::string step = name + "." + std::to_string(++number) + " " + w[0];
        if (w[0] == "case" && w.size() == 2) {
            name = w[1];
            number = 0;
            file = folder + name + ".ini";
        } else if (w[0] == "file" && w.size() == 2) {
            profiles.Store(file, w[1]);
        } else if (w[0] == "read" && w.size() == 3) {
            char buffer[1024];
            std::fill(std::begin(buffer), std::end(buffer), '\x55');
            const unsigned long n =
                profiles.Get(w[1].c_str(), w[2].c_str(), buffer, sizeof buffer, file.c_str());
            std::cout << step << " " << n << " " << Hex(std::string(buffer, n < 1024 ? n : 1024))
                      << "\n";
        } else if (w[0] == "write" && w.size() == 4) {
            std::cout << step << " "
                      << profiles.Write(w[1].c_str(), w[2].c_str(), w[3].c_str(), file.c_str())
                      << "\n";
        } else if (w[0] == "dump" && w.size() == 1) {
            std::cout << step << " " << Hex(profiles.Load(file)) << "\n";
        } else {
            std::fprintf(stderr, "ini_diff: line %d: unknown step\n", lineNo);
            return 2;
        }
    }
    return 0;
}
