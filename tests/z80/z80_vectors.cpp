// Reading the single-instruction vectors (see z80_vectors.h).
#include "z80_vectors.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace vimo::test {

// ---- JSON ---------------------------------------------------------------------------

const Json* Json::find(std::string_view key) const {
    for (const auto& [name, value] : fields) {
        if (name == key) {
            return &value;
        }
    }
    return nullptr;
}

int64_t Json::operator[](std::string_view key) const {
    const Json* value = find(key);
    return value != nullptr ? value->number : 0;
}

namespace {

class JsonReader {
public:
    explicit JsonReader(std::string_view text) : text_(text) {}

    bool parse(Json& out) {
        ok_ = true;
        value(out);
        skipSpace();
        return ok_ && pos_ == text_.size();
    }

private:
    void skipSpace() {
        while (pos_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[pos_])) != 0) {
            ++pos_;
        }
    }
    bool accept(char c) {
        skipSpace();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    void string(std::string& out) {
        if (!accept('"')) {
            ok_ = false;
            return;
        }
        while (pos_ < text_.size() && text_[pos_] != '"') {
            out.push_back(text_[pos_++]);
        }
        ok_ = ok_ && accept('"');
    }
    void value(Json& out) {
        skipSpace();
        if (!ok_ || pos_ >= text_.size()) {
            ok_ = false;
            return;
        }
        const char c = text_[pos_];
        if (c == '{') {
            out.type = Json::Type::object;
            ++pos_;
            if (accept('}')) {
                return;
            }
            do {
                std::pair<std::string, Json> field;
                string(field.first);
                ok_ = ok_ && accept(':');
                value(field.second);
                out.fields.push_back(std::move(field));
            } while (ok_ && accept(','));
            ok_ = ok_ && accept('}');
        } else if (c == '[') {
            out.type = Json::Type::array;
            ++pos_;
            if (accept(']')) {
                return;
            }
            do {
                out.items.emplace_back();
                value(out.items.back());
            } while (ok_ && accept(','));
            ok_ = ok_ && accept(']');
        } else if (c == '"') {
            out.type = Json::Type::string;
            string(out.text);
        } else if (c == '-' || std::isdigit(static_cast<unsigned char>(c)) != 0) {
            out.type = Json::Type::number;
            const bool negative = c == '-';
            if (negative) {
                ++pos_;
            }
            int64_t n = 0;
            while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])) != 0) {
                n = n * 10 + (text_[pos_++] - '0');
            }
            out.number = negative ? -n : n;
        } else if (text_.substr(pos_, 4) == "null") {
            pos_ += 4;
        } else if (text_.substr(pos_, 4) == "true") {
            out.type = Json::Type::number;
            out.number = 1;
            pos_ += 4;
        } else if (text_.substr(pos_, 5) == "false") {
            out.type = Json::Type::number;
            pos_ += 5;
        } else {
            ok_ = false;
        }
    }

    std::string_view text_;
    size_t pos_ = 0;
    bool ok_ = true;
};

int hexByte(const std::string& s) { return static_cast<int>(std::strtol(s.c_str(), nullptr, 16)); }

}  // namespace

bool parseJson(std::string_view text, Json& out) { return JsonReader(text).parse(out); }

// ---- cases ------------------------------------------------------------------------

Opcode opcodeOf(const std::string& name) {
    std::istringstream in(name);
    std::vector<std::string> tokens;
    for (std::string token; in >> token;) {
        tokens.push_back(token);
    }
    Opcode result;
    if (tokens.size() < 2) {
        return result;
    }
    tokens.pop_back();  // the case number
    if (tokens.size() == 1) {
        result.op = hexByte(tokens[0]);
    } else {
        result.prefix = hexByte(tokens[0]);
        result.indexBit = tokens.size() == 4;
        result.op = hexByte(tokens.back());
    }
    return result;
}

uint8_t ramByte(const Json& state, int64_t address) {
    if (const Json* ram = state.find("ram"); ram != nullptr) {
        for (const Json& pair : ram->items) {
            if (pair.items.size() == 2 && pair.items[0].number == address) {
                return static_cast<uint8_t>(pair.items[1].number);
            }
        }
    }
    return 0;
}

std::vector<PortEvent> portEventsOf(const Json& test) {
    std::vector<PortEvent> events;
    if (const Json* ports = test.find("ports"); ports != nullptr) {
        for (const Json& event : ports->items) {
            if (event.items.size() == 3 && !event.items[2].text.empty()) {
                events.push_back({static_cast<uint16_t>(event.items[0].number),
                                  static_cast<uint8_t>(event.items[1].number), event.items[2].text[0]});
            }
        }
    }
    return events;
}

// ---- the file -------------------------------------------------------------------------

std::string vectorFilePath(const std::string& defaultDirectory) {
    const char* dir = std::getenv("VIMO_Z80_TESTDATA");
    const std::string base = dir != nullptr && *dir != '\0' ? dir : defaultDirectory;
    return base + "/z80-single-step.jsonl.gz";
}

bool forEachVectorCase(const std::string& path, const std::function<void(const Json& test)>& visit,
                       std::string& error) {
    gzFile file = gzopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = "cannot open " + path;
        return false;
    }
    bool ok = true;
    size_t cases = 0;
    std::string line;
    std::vector<char> buffer(1 << 16);
    while (gzgets(file, buffer.data(), static_cast<int>(buffer.size())) != nullptr) {
        line += buffer.data();
        if ((line.empty() || line.back() != '\n') && gzeof(file) == 0) {
            continue;  // a line longer than the buffer: keep reading
        }
        Json test;
        const bool parsed = parseJson(line, test);
        line.clear();
        if (!parsed || test.type != Json::Type::object || test.find("initial") == nullptr ||
            test.find("final") == nullptr || test.find("name") == nullptr) {
            error = "unreadable case line after " + std::to_string(cases) + " cases";
            ok = false;
            break;
        }
        ++cases;
        visit(test);
    }
    gzclose(file);
    return ok;
}

// ---- what both cores' runners share ----------------------------------------------------

MaskSelection selectMasks(std::span<const VectorMask> masks, const VectorCase& c, size_t* hits) {
    MaskSelection selection;
    for (size_t i = 0; i < masks.size(); ++i) {
        if (masks[i].applies(c)) {
            selection.flags |= masks[i].flags;
            selection.fields |= masks[i].fields;
            ++hits[i];
        }
    }
    return selection;
}

void PortBus::expect(const Json& test) {
    *this = PortBus{};
    for (const PortEvent& event : portEventsOf(test)) {
        if (event.direction == 'r') {
            expectedReads.push_back(event);
        }
    }
}

uint8_t PortBus::read(uint16_t port) {
    uint8_t value = 0xFF;
    if (nextRead < expectedReads.size()) {
        value = expectedReads[nextRead++].value;
    }
    seen.push_back({port, value, 'r'});
    return value;
}

void PortBus::write(uint16_t port, uint8_t value) { seen.push_back({port, value, 'w'}); }

void VectorRam::load(const Json& initial) {
    for (size_t address : touched_) {
        memory_[address] = 0;
    }
    touched_.clear();
    for (const Json& pair : initial.find("ram")->items) {
        const auto address = static_cast<size_t>(pair.items[0].number);
        memory_[address] = static_cast<uint8_t>(pair.items[1].number);
        touched_.push_back(address);
    }
}

VectorTally checkEveryVectorCase(const std::string& path, const std::function<std::string(const Json& test)>& check) {
    VectorTally tally;
    tally.read = forEachVectorCase(path, [&](const Json& test) {
        ++tally.cases;
        const std::string diff = check(test);
        if (!diff.empty()) {
            const std::string& name = test.find("name")->text;
            if (++tally.failures <= 40) {
                ADD_FAILURE() << name << ":" << diff;
            }
            ++tally.failuresByOpcode[name.substr(0, name.rfind(' '))];
        }
    }, tally.error);
    return tally;
}

void printVectorReport(const VectorTally& tally, std::span<const VectorMask> masks, const size_t* hits) {
    for (size_t i = 0; i < masks.size(); ++i) {
        std::printf("  mask %-36s %6zu cases  (%s)\n", masks[i].behaviour, hits[i], masks[i].reason);
    }
    for (const auto& [opcode, count] : tally.failuresByOpcode) {
        std::printf("  FAILED %-16s %zu cases\n", opcode.c_str(), count);
    }
}

}  // namespace vimo::test
