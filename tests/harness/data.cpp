#include "data.hpp"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace harness {

std::string unescape(const std::string &text) {
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes += text[i];
            continue;
        }
        char c = text[++i];
        if (c == 'n') bytes += '\n';
        else if (c == 'r') bytes += '\r';
        else if (c == 't') bytes += '\t';
        else if (c == 'x' && i + 2 < text.size()) {
            bytes += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else if (c == '*' && text.find('(', i) != std::string::npos) {
            // \*N(text): text (escapes allowed, no ')') repeated N times.
            size_t open = text.find('(', i), close = text.find(')', open);
            if (close == std::string::npos) throw std::runtime_error("unclosed \\*N( in " + text);
            std::string once = unescape(text.substr(open + 1, close - open - 1));
            for (long n = std::stol(text.substr(i + 1, open - i - 1)); n > 0; --n) bytes += once;
            i = close;
        } else bytes += c;
    }
    return bytes;
}

std::string escape(const std::string &bytes) {
    static const char hex[] = "0123456789abcdef";
    std::string text;
    for (unsigned char c : bytes) {
        if (c == '\n') text += "\\n";
        else if (c == '\r') text += "\\r";
        else if (c == '\t') text += "\\t";
        else if (c == '\\') text += "\\\\";
        else if (c < 0x20 || c > 0x7e) text += std::string("\\x") + hex[c >> 4] + hex[c & 15];
        else text += static_cast<char>(c);
    }
    return text;
}

std::string read_file(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw std::runtime_error("cannot read " + path);
    std::ostringstream all;
    all << file.rdbuf();
    return all.str();
}

namespace {

// Splits "key: value" or "key=value" at the first separator; the value loses one leading blank.
bool split(const std::string &line, char separator, std::string &key, std::string &value) {
    size_t at = line.find(separator);
    if (at == std::string::npos) return false;
    key = line.substr(0, at);
    value = line.substr(at + 1);
    if (!value.empty() && value[0] == ' ') value.erase(0, 1);
    return true;
}

} // namespace

std::vector<StreamCase> read_cases(const std::string &path) {
    std::istringstream lines(read_file(path));
    std::vector<StreamCase> cases;
    std::string line, heading, key, value;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (line.empty()) continue;
        if (line[0] == '#') {
            heading = line.substr(line.find_first_not_of("# "));
            continue;
        }
        if (!split(line, ':', key, value))
            throw std::runtime_error(path + ":" + std::to_string(number) + ": no key");
        if (key == "in") {
            cases.push_back(StreamCase{heading, number, unescape(value), "", "0", false, ""});
            continue;
        }
        if (cases.empty()) throw std::runtime_error(path + ": a case must start with in:");
        StreamCase &c = cases.back();
        if (key == "out") c.output = unescape(value);
        else if (key == "exit") c.exit = value;
        else if (key == "err") c.has_err = true, c.err = unescape(value);
        else throw std::runtime_error(path + ":" + std::to_string(number) + ": unknown key " + key);
    }
    return cases;
}

std::map<std::string, std::string> read_profile(const std::string &path) {
    std::map<std::string, std::string> profile;
    std::istringstream lines(read_file(path));
    std::string line, key, value;
    while (std::getline(lines, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (split(line, '=', key, value)) profile[key] = unescape(value);
    }
    return profile;
}

} // namespace harness
