#include "mutator.h"

#include <algorithm>
#include <array>

namespace tolvane::fuzz {
namespace {

// Byte values at which parsers tend to change their mind.
constexpr std::array<unsigned char, 16> kInterestingBytes = {
    0x00, 0x01, 0x7F, 0x80, 0xFF, '\n', '\r', '\t', ' ', '\\', '/', '"', '.', ':', 0xC3, 0xEF};

} // namespace

Mutator::Mutator(std::uint64_t seed, std::vector<std::string> corpus,
                 std::vector<std::string> tokens, std::size_t maxLength)
    : state_(seed), corpus_(std::move(corpus)), tokens_(std::move(tokens)), maxLength_(maxLength) {}

// splitmix64: tiny, fast and the same on every platform.
std::uint64_t Mutator::random() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::size_t Mutator::below(std::size_t bound) {
    return bound == 0 ? 0 : static_cast<std::size_t>(random() % bound);
}

const std::string& Mutator::pickCorpusEntry() {
    static const std::string empty;
    return corpus_.empty() ? empty : corpus_[below(corpus_.size())];
}

void Mutator::mutateOnce(std::string& data) {
    const std::size_t size = data.size();
    switch (below(11)) {
    case 0: // flip one bit
        if (size) {
            data[below(size)] ^= static_cast<char>(1u << below(8));
        }
        break;
    case 1: // any byte
        if (size) {
            data[below(size)] = static_cast<char>(random());
        }
        break;
    case 2: // an interesting byte, replacing or inserted
    {
        char c = static_cast<char>(kInterestingBytes[below(kInterestingBytes.size())]);
        if (size && random() % 2) {
            data[below(size)] = c;
        } else {
            data.insert(data.begin() + static_cast<std::ptrdiff_t>(below(size + 1)), c);
        }
        break;
    }
    case 3: // insert a few random bytes
    {
        std::size_t count = 1 + below(4);
        std::size_t at = below(size + 1);
        for (std::size_t i = 0; i < count; ++i) {
            data.insert(data.begin() + static_cast<std::ptrdiff_t>(at),
                        static_cast<char>(random()));
        }
        break;
    }
    case 4: // delete a range
        if (size) {
            std::size_t at = below(size);
            data.erase(at, 1 + below(std::min<std::size_t>(size - at, 16)));
        }
        break;
    case 5: // copy a range of the input to another place
        if (size) {
            std::size_t from = below(size);
            std::string piece =
                data.substr(from, 1 + below(std::min<std::size_t>(size - from, 32)));
            data.insert(below(size + 1), piece);
        }
        break;
    case 6: // splice: the head of this input with the tail of another corpus entry
    {
        const std::string& other = pickCorpusEntry();
        data = data.substr(0, below(size + 1)) + other.substr(below(other.size() + 1));
        break;
    }
    case 7: // change the letter case of one byte
        if (size) {
            char& c = data[below(size)];
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
                c = static_cast<char>(c ^ 0x20);
            }
        }
        break;
    case 8: // a dictionary token inserted
    case 9: // or replacing a range
        if (!tokens_.empty()) {
            const std::string& token = tokens_[below(tokens_.size())];
            std::size_t at = below(size + 1);
            std::size_t replaced = (data.size() > at && random() % 2)
                                       ? 1 + below(std::min<std::size_t>(data.size() - at, 8))
                                       : 0;
            data.replace(at, replaced, token);
        }
        break;
    default: // repeat a byte, which makes long names and runs of separators
        if (size) {
            std::size_t at = below(size);
            data.insert(at, 1 + below(64), data[at]);
        }
        break;
    }
}

std::string Mutator::next() {
    // Half the time keep working on the previous input, so edits can pile up.
    std::string data = (random() % 2 && !previous_.empty()) ? previous_ : pickCorpusEntry();
    std::size_t edits = 1 + below(5);
    for (std::size_t i = 0; i < edits; ++i) {
        mutateOnce(data);
    }
    if (data.size() > maxLength_) {
        data.resize(maxLength_);
    }
    previous_ = data;
    return data;
}

} // namespace tolvane::fuzz
