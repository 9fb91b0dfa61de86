#include "uz/suffixsort.h"

#include <algorithm>
#include <new>

#ifdef TOLVANE_HAVE_DIVSUFSORT
#include <divsufsort.h>
#endif

namespace tolvane::uz {

namespace {

using Index = std::int32_t;

// The loops below work on raw pointers: with several hundred thousand suffixes per block, checked
// container access would dominate unoptimised (debug and sanitizer) builds.
struct Text {
    const Index* s;
    Index n;
    Index top;
};

// Suffix types: S (1) when the suffix is smaller than the one after it, L (0) otherwise. The end
// of the text counts as smaller than everything, so the last suffix is L.
std::vector<std::uint8_t> suffixTypes(const Text& t) {
    std::vector<std::uint8_t> types(static_cast<std::size_t>(t.n), 0);
    std::uint8_t* isS = types.data();
    for (Index i = t.n - 2; i >= 0; --i) {
        isS[i] = t.s[i] == t.s[i + 1] ? isS[i + 1] : static_cast<std::uint8_t>(t.s[i] < t.s[i + 1]);
    }
    return types;
}

struct Buckets {
    std::vector<Index> heads; // first slot of each symbol's bucket
    std::vector<Index> tails; // one past the last slot
};

Buckets bucketBounds(const Text& t) {
    const auto symbols = static_cast<std::size_t>(t.top) + 1;
    std::vector<Index> counts(symbols, 0);
    for (Index i = 0; i < t.n; ++i) {
        ++counts[static_cast<std::size_t>(t.s[i])];
    }
    Buckets b{std::vector<Index>(symbols), std::vector<Index>(symbols)};
    Index sum = 0;
    for (std::size_t c = 0; c < symbols; ++c) {
        b.heads[c] = sum;
        sum += counts[c];
        b.tails[c] = sum;
    }
    return b;
}

// Places the LMS suffixes in the given order at the ends of their buckets, then induces the L
// suffixes left to right and the S suffixes right to left.
void induce(const Text& t, const std::uint8_t* isS, const Buckets& bounds,
            const std::vector<Index>& lmsOrder, Index* sa) {
    const Index* s = t.s;
    const Index n = t.n;
    std::fill(sa, sa + n, -1);
    std::vector<Index> nextSlot = bounds.tails;
    Index* next = nextSlot.data();
    for (auto it = lmsOrder.rbegin(); it != lmsOrder.rend(); ++it) {
        sa[--next[s[*it]]] = *it;
    }
    std::copy(bounds.heads.begin(), bounds.heads.end(), next);
    sa[next[s[n - 1]]++] = n - 1;
    for (Index i = 0; i < n; ++i) {
        const Index p = sa[i] - 1;
        if (p >= 0 && !isS[p]) {
            sa[next[s[p]]++] = p;
        }
    }
    std::copy(bounds.tails.begin(), bounds.tails.end(), next);
    for (Index i = n - 1; i >= 0; --i) {
        const Index p = sa[i] - 1;
        if (p >= 0 && isS[p]) {
            sa[--next[s[p]]] = p;
        }
    }
}

std::vector<Index> sais(const Text& t) {
    const Index n = t.n;
    if (n == 0) {
        return {};
    }
    if (n == 1) {
        return {0};
    }
    const std::vector<std::uint8_t> types = suffixTypes(t);
    const std::uint8_t* isS = types.data();
    const Buckets bounds = bucketBounds(t);

    std::vector<Index> lms;
    std::vector<Index> lmsNumberOf(static_cast<std::size_t>(n), -1);
    Index* lmsNumber = lmsNumberOf.data();
    for (Index i = 1; i < n; ++i) {
        if (isS[i] && !isS[i - 1]) {
            lmsNumber[i] = static_cast<Index>(lms.size());
            lms.push_back(i);
        }
    }
    std::vector<Index> result(static_cast<std::size_t>(n));
    Index* sa = result.data();
    induce(t, isS, bounds, lms, sa);
    if (lms.empty()) {
        return result;
    }

    // Name the LMS substrings by their order after the first induction; equal substrings share a
    // name. When all names differ the order is final, else it comes from sorting the names.
    std::vector<Index> sortedLms;
    sortedLms.reserve(lms.size());
    for (Index i = 0; i < n; ++i) {
        if (lmsNumber[sa[i]] >= 0) {
            sortedLms.push_back(sa[i]);
        }
    }
    const auto m = static_cast<Index>(lms.size());
    auto substringEnd = [&](Index p) { return lmsNumber[p] + 1 < m ? lms[lmsNumber[p] + 1] : n; };
    std::vector<Index> names(lms.size());
    Index name = 0;
    names[lmsNumber[sortedLms[0]]] = 0;
    for (Index k = 1; k < m; ++k) {
        const Index a = sortedLms[k - 1];
        const Index b = sortedLms[k];
        const Index endA = substringEnd(a);
        const Index endB = substringEnd(b);
        // The substring running to the end of the text is unique: the end is part of it.
        bool same = endA - a == endB - b && endA != n && endB != n;
        for (Index off = 0; same && a + off <= endA; ++off) {
            same = t.s[a + off] == t.s[b + off];
        }
        if (!same) {
            ++name;
        }
        names[lmsNumber[b]] = name;
    }
    if (name + 1 < m) {
        const std::vector<Index> order = sais(Text{names.data(), m, name});
        for (Index k = 0; k < m; ++k) {
            sortedLms[k] = lms[order[k]];
        }
    }
    induce(t, isS, bounds, sortedLms, sa);
    return result;
}

} // namespace

std::vector<std::int32_t> suffixArray(std::span<const std::int32_t> text,
                                      std::int32_t alphabetTop) {
    return sais(Text{text.data(), static_cast<Index>(text.size()), alphabetTop});
}

bool haveDivsufsort() {
#ifdef TOLVANE_HAVE_DIVSUFSORT
    return true;
#else
    return false;
#endif
}

BlockSorter fastestBlockSorter() {
    return haveDivsufsort() ? BlockSorter::divsufsort : BlockSorter::inducedSorting;
}

void engineSuffixOrder(ByteSpan block, BlockSorter sorter, std::vector<std::int32_t>& order) {
    // Flipping every byte (255 - b) reverses the order of the byte values, so the usual ascending
    // suffix order of the flipped block, where the end sorts first, is the engine's order read
    // backwards.
    const std::size_t n = block.size();
    order.resize(n);
    if (n == 0) {
        return;
    }
    if (sorter == BlockSorter::divsufsort && haveDivsufsort()) {
#ifdef TOLVANE_HAVE_DIVSUFSORT
        Bytes flipped(n);
        for (std::size_t i = 0; i < n; ++i) {
            flipped[i] = static_cast<std::uint8_t>(255 - block[i]);
        }
        if (divsufsort(flipped.data(), order.data(), static_cast<saidx_t>(n)) != 0) {
            throw std::bad_alloc(); // its only failure for a valid block: no memory
        }
#endif
    } else {
        std::vector<std::int32_t> flipped(n);
        for (std::size_t i = 0; i < n; ++i) {
            flipped[i] = 255 - block[i];
        }
        order = suffixArray(flipped, 255);
    }
    std::reverse(order.begin(), order.end());
}

} // namespace tolvane::uz
