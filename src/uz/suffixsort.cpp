#include "uz/suffixsort.h"

#include <algorithm>

namespace tolvane::uz {

namespace {

using Index = std::int32_t;

// Suffix types: S when the suffix is smaller than the one after it, L otherwise. The end of the
// text counts as smaller than everything, so the last suffix is L.
std::vector<bool> suffixTypes(std::span<const Index> s) {
    const auto n = static_cast<Index>(s.size());
    std::vector<bool> isS(s.size(), false);
    for (Index i = n - 2; i >= 0; --i) {
        isS[i] = s[i] == s[i + 1] ? isS[i + 1] : s[i] < s[i + 1];
    }
    return isS;
}

bool isLms(const std::vector<bool>& isS, Index i) {
    return i > 0 && isS[i] && !isS[i - 1];
}

struct Buckets {
    std::vector<Index> heads; // first slot of each symbol's bucket
    std::vector<Index> tails; // one past the last slot
};

Buckets bucketBounds(std::span<const Index> s, Index top) {
    Buckets b;
    b.heads.assign(static_cast<std::size_t>(top) + 1, 0);
    b.tails.assign(static_cast<std::size_t>(top) + 1, 0);
    std::vector<Index> counts(static_cast<std::size_t>(top) + 1, 0);
    for (Index c : s) {
        ++counts[c];
    }
    Index sum = 0;
    for (std::size_t c = 0; c < counts.size(); ++c) {
        b.heads[c] = sum;
        sum += counts[c];
        b.tails[c] = sum;
    }
    return b;
}

// Places the LMS suffixes in the given order at the ends of their buckets, then induces the L
// suffixes left to right and the S suffixes right to left.
void induce(std::span<const Index> s, const std::vector<bool>& isS, const Buckets& bounds,
            std::span<const Index> lmsOrder, std::vector<Index>& sa) {
    const auto n = static_cast<Index>(s.size());
    std::fill(sa.begin(), sa.end(), -1);
    std::vector<Index> next = bounds.tails;
    for (auto it = lmsOrder.rbegin(); it != lmsOrder.rend(); ++it) {
        sa[--next[s[*it]]] = *it;
    }
    next = bounds.heads;
    sa[next[s[n - 1]]++] = n - 1;
    for (Index i = 0; i < n; ++i) {
        const Index p = sa[i] - 1;
        if (sa[i] > 0 && !isS[p]) {
            sa[next[s[p]]++] = p;
        }
    }
    next = bounds.tails;
    for (Index i = n - 1; i >= 0; --i) {
        const Index p = sa[i] - 1;
        if (sa[i] > 0 && isS[p]) {
            sa[--next[s[p]]] = p;
        }
    }
}

std::vector<Index> sais(std::span<const Index> s, Index top) {
    const auto n = static_cast<Index>(s.size());
    if (n == 0) {
        return {};
    }
    if (n == 1) {
        return {0};
    }
    const std::vector<bool> isS = suffixTypes(s);
    const Buckets bounds = bucketBounds(s, top);

    std::vector<Index> lms;
    std::vector<Index> lmsNumber(s.size(), -1);
    for (Index i = 1; i < n; ++i) {
        if (isLms(isS, i)) {
            lmsNumber[i] = static_cast<Index>(lms.size());
            lms.push_back(i);
        }
    }
    std::vector<Index> sa(s.size());
    induce(s, isS, bounds, lms, sa);
    if (lms.empty()) {
        return sa;
    }

    // Name the LMS substrings by their order after the first induction; equal substrings share a
    // name. When all names differ the order is final, else it comes from sorting the names.
    std::vector<Index> sortedLms;
    sortedLms.reserve(lms.size());
    for (Index p : sa) {
        if (lmsNumber[p] >= 0) {
            sortedLms.push_back(p);
        }
    }
    const auto m = static_cast<Index>(lms.size());
    auto substringEnd = [&](Index p) { return lmsNumber[p] + 1 < m ? lms[lmsNumber[p] + 1] : n; };
    std::vector<Index> names(lms.size());
    Index name = 0;
    names[lmsNumber[sortedLms[0]]] = 0;
    for (Index k = 1; k < m; ++k) {
        Index a = sortedLms[k - 1];
        Index b = sortedLms[k];
        const Index endA = substringEnd(a);
        const Index endB = substringEnd(b);
        bool same = endA - a == endB - b;
        // The substring running to the end of the text is unique: the end is part of it.
        same = same && endA != n && endB != n;
        for (Index off = 0; same && a + off <= endA; ++off) {
            same = s[a + off] == s[b + off];
        }
        if (!same) {
            ++name;
        }
        names[lmsNumber[b]] = name;
    }
    if (name + 1 < m) {
        const std::vector<Index> order = sais(names, name);
        for (Index k = 0; k < m; ++k) {
            sortedLms[k] = lms[order[k]];
        }
    }
    induce(s, isS, bounds, sortedLms, sa);
    return sa;
}

} // namespace

std::vector<std::int32_t> suffixArray(std::span<const std::int32_t> text,
                                      std::int32_t alphabetTop) {
    return sais(text, alphabetTop);
}

} // namespace tolvane::uz
