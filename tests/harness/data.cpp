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
            cases.push_back(StreamCase{heading, number, unescape(value), "", "0", false, "", ""});
            continue;
        }
        if (cases.empty()) throw std::runtime_error(path + ": a case must start with in:");
        StreamCase &c = cases.back();
        if (key == "out") c.output = unescape(value);
        else if (key == "exit") c.exit = value;
        else if (key == "err") c.has_err = true, c.err = unescape(value);
        else if (key == "args") c.args = value;
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

namespace {

// The code spans of a table cell, in order.
std::vector<std::string> code_spans(const std::string &cell) {
    std::vector<std::string> spans;
    for (size_t open = cell.find('`'); open != std::string::npos; open = cell.find('`', open + 1)) {
        size_t close = cell.find('`', open + 1);
        if (close == std::string::npos) break;
        spans.push_back(cell.substr(open + 1, close - open - 1));
        open = close;
    }
    return spans;
}

// The cells of a markdown table row "| a | b | c |".
std::vector<std::string> cells(const std::string &row) {
    std::vector<std::string> out;
    std::string cell;
    bool in_code = false;
    for (size_t i = 1; i < row.size(); ++i) {
        if (row[i] == '`') in_code = !in_code;
        if (row[i] == '|' && !in_code) {
            out.push_back(cell);
            cell.clear();
        } else {
            cell += row[i];
        }
    }
    return out;
}

} // namespace

std::vector<DocumentedRun> readme_rows(const std::string &readme, const std::string &program) {
    std::istringstream lines(readme);
    std::vector<DocumentedRun> rows;
    std::string line;
    bool inside = false;
    while (std::getline(lines, line)) {
        if (line.rfind("#", 0) == 0) inside = line == "### " + program;
        if (!inside || line.rfind("| ", 0) != 0) continue;
        std::vector<std::string> row = cells(line);
        if (row.size() != 3 || row[0].find("---") != std::string::npos || row[0] == " rule ") continue;
        std::vector<std::string> in = code_spans(row[1]), out = code_spans(row[2]);
        bool no_input = row[1] == " nothing ", no_output = row[2].find(" nothing") == 0;
        if (in.size() != (no_input ? 0u : 1u) || out.size() != (no_output ? 0u : 1u))
            throw std::runtime_error("README row not of the form `input` | `output`[, status N]: " + line);
        DocumentedRun run{line, no_input ? "" : unescape(in[0]), no_output ? "" : unescape(out[0]), 0};
        size_t status = row[2].rfind("status ");
        if (status != std::string::npos) run.status = std::stoi(row[2].substr(status + 7));
        rows.push_back(run);
    }
    return rows;
}

std::vector<DocumentedRun> man_examples(const std::string &rendered) {
    std::istringstream lines(rendered);
    std::vector<DocumentedRun> examples;
    std::string line;
    bool inside = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] != ' ') { // a section heading
            inside = line == "EXAMPLES";
            continue;
        }
        if (!inside) continue;
        size_t text = line.find_first_not_of(' ');
        line = text == std::string::npos ? "" : line.substr(text);
        if (line.rfind("$ ", 0) == 0) examples.push_back(DocumentedRun{line, line.substr(2), "", 0});
        else if (!examples.empty()) examples.back().output += line + "\n";
    }
    // The blank lines that end the section are layout, not output.
    for (auto &example : examples)
        while (example.output.size() >= 2 && example.output.compare(example.output.size() - 2, 2, "\n\n") == 0)
            example.output.pop_back();
    return examples;
}

} // namespace harness
