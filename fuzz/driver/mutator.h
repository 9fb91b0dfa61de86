#pragma once
// Deterministic input maker for the built-in driver: each input is a corpus entry (or the input
// before it) with a few random edits. The same seed always gives the same inputs, so a failure
// seen in CI is reproduced by running the same command.

#include <cstdint>
#include <string>
#include <vector>

namespace tolvane::fuzz {

class Mutator {
public:
    Mutator(std::uint64_t seed, std::vector<std::string> corpus, std::vector<std::string> tokens,
            std::size_t maxLength);

    // The next input, at most maxLength bytes.
    std::string next();

private:
    std::uint64_t random();
    std::size_t below(std::size_t bound); // 0 when bound is 0
    void mutateOnce(std::string& data);
    const std::string& pickCorpusEntry();

    std::uint64_t state_;
    std::vector<std::string> corpus_;
    std::vector<std::string> tokens_;
    std::size_t maxLength_;
    std::string previous_;
};

} // namespace tolvane::fuzz
