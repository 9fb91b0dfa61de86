#include "uz/huffman.h"

#include "uz/bitstream.h"

#include <array>
#include <limits>

namespace tolvane::uz {

namespace {

constexpr std::size_t kMaxNodes = 511; // a full tree over 256 symbols
constexpr int kNoChild = -1;

struct Node {
    std::uint64_t count = 0;
    int symbol = 0;
    std::array<int, 2> child{kNoChild, kNoChild};
    bool isLeaf() const { return child[0] == kNoChild; }
};

// The engine's construction: leaves in symbol order, trailing unused ones dropped; then the last
// two nodes become children 0 and 1 of a new node, inserted before the first node that counts
// less than it. The list is never sorted, which is what makes the result byte-exact.
std::vector<Node> buildTree(ByteSpan input, int& root) {
    std::array<std::uint64_t, 256> counts{};
    for (std::uint8_t byte : input) {
        ++counts[byte];
    }
    std::vector<Node> nodes;
    std::vector<int> list;
    for (int symbol = 0; symbol < 256; ++symbol) {
        nodes.push_back(Node{counts[symbol], symbol, {kNoChild, kNoChild}});
        list.push_back(symbol);
    }
    while (list.size() > 1 && nodes[list.back()].count == 0) {
        list.pop_back();
    }
    while (list.size() > 1) {
        Node parent;
        for (int side = 0; side < 2; ++side) {
            parent.child[side] = list.back();
            parent.count += nodes[list.back()].count;
            list.pop_back();
        }
        std::size_t at = 0;
        while (at < list.size() && nodes[list[at]].count >= parent.count) {
            ++at;
        }
        nodes.push_back(parent);
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(at),
                    static_cast<int>(nodes.size() - 1));
    }
    root = list.front();
    return nodes;
}

struct Code {
    std::array<std::uint64_t, 4> bits{}; // a path is at most 255 steps long
    int length = 0;
};

void writeCode(BitWriter& writer, const Code& code) {
    for (int done = 0; done < code.length; done += 32) {
        const int count = std::min(32, code.length - done);
        const std::uint64_t word = code.bits[static_cast<std::size_t>(done / 64)];
        writer.write((word >> (done % 64)) & ((std::uint64_t{1} << count) - 1), count);
    }
}

// Writes the tree in pre-order and collects each leaf's path.
void writeTree(BitWriter& writer, const std::vector<Node>& nodes, int root,
               std::array<Code, 256>& codes) {
    std::vector<std::pair<int, Code>> pending{{root, Code{}}};
    while (!pending.empty()) {
        auto [index, path] = pending.back();
        pending.pop_back();
        const Node& node = nodes[static_cast<std::size_t>(index)];
        if (node.isLeaf()) {
            writer.write(0, 1);
            writer.write(static_cast<std::uint64_t>(node.symbol), 8);
            codes[static_cast<std::size_t>(node.symbol)] = path;
            continue;
        }
        writer.write(1, 1);
        Code one = path;
        one.bits[static_cast<std::size_t>(one.length / 64)] |= std::uint64_t{1}
                                                               << (one.length % 64);
        ++one.length;
        Code zero = path;
        ++zero.length;
        pending.emplace_back(node.child[1], one);
        pending.emplace_back(node.child[0], zero);
    }
}

std::vector<Node> readTree(BitReader& bits) {
    std::vector<Node> nodes;
    nodes.reserve(kMaxNodes);
    // Each entry is a child slot still to fill: (parent, side); the root has parent -1.
    std::vector<std::pair<int, int>> pending{{-1, 0}};
    while (!pending.empty()) {
        auto [parent, side] = pending.back();
        pending.pop_back();
        if (nodes.size() == kMaxNodes) {
            throw UzError("Huffman table has too many nodes");
        }
        const int index = static_cast<int>(nodes.size());
        nodes.emplace_back();
        if (parent >= 0) {
            nodes[static_cast<std::size_t>(parent)].child[static_cast<std::size_t>(side)] = index;
        }
        if (bits.readBit() != 0) {
            // Both children are still unknown; mark the node inner until they are filled in.
            nodes.back().child = {index, index};
            pending.emplace_back(index, 1);
            pending.emplace_back(index, 0);
        } else {
            int symbol = 0;
            for (int bit = 0; bit < 8; ++bit) {
                symbol |= static_cast<int>(bits.readBit()) << bit;
            }
            nodes.back().symbol = symbol;
        }
    }
    if (bits.consumed() > bits.size()) {
        throw UzError("truncated Huffman table");
    }
    return nodes;
}

// Decoding tables: for a node and every value of the next 8 bits, the leaf reached and the bits
// used, or the inner node reached after all 8. Decoding then takes a byte of bits per step. Only
// the root and the nodes 8, 16, ... steps below it get a table, as only they are reached.
struct Step {
    std::uint16_t target = 0; // the symbol, or the table of the inner node reached
    std::uint8_t bits = 0;
    bool leaf = false;
};

std::vector<Step> stepTables(const std::vector<Node>& nodes) {
    std::vector<int> tableOf(nodes.size(), -1);
    std::vector<std::size_t> owners{0};
    tableOf[0] = 0;
    std::vector<Step> table;
    for (std::size_t number = 0; number < owners.size(); ++number) {
        table.resize((number + 1) * 256);
        for (unsigned value = 0; value < 256; ++value) {
            std::size_t at = owners[number];
            int used = 0;
            while (used < 8 && !nodes[at].isLeaf()) {
                at = static_cast<std::size_t>(nodes[at].child[(value >> used) & 1]);
                ++used;
            }
            Step step;
            step.bits = static_cast<std::uint8_t>(used);
            step.leaf = nodes[at].isLeaf();
            if (step.leaf) {
                step.target = static_cast<std::uint16_t>(nodes[at].symbol);
            } else {
                if (tableOf[at] < 0) {
                    tableOf[at] = static_cast<int>(owners.size());
                    owners.push_back(at);
                }
                step.target = static_cast<std::uint16_t>(tableOf[at]);
            }
            table[number * 256 + value] = step;
        }
    }
    return table;
}

} // namespace

Bytes huffmanEncode(ByteSpan input) {
    Bytes out;
    out.reserve(input.size() / 2 + 256);
    appendInt32(out, static_cast<std::int32_t>(input.size()));
    int root = 0;
    const std::vector<Node> nodes = buildTree(input, root);
    std::array<Code, 256> codes{};
    BitWriter writer(out);
    writeTree(writer, nodes, root, codes);
    for (std::uint8_t byte : input) {
        const Code& code = codes[byte];
        if (code.length <= 56) {
            writer.write(code.bits[0], code.length);
        } else {
            writeCode(writer, code);
        }
    }
    writer.flush();
    return out;
}

Bytes huffmanDecode(ByteSpan input, std::size_t maxOutput) {
    ByteReader header(input);
    const std::int32_t total = header.readInt32("Huffman length");
    if (total < 0) {
        throw UzError("negative Huffman length");
    }
    BitReader bits(header.rest());
    const std::vector<Node> nodes = readTree(bits);
    // Every code takes at least one bit, except with a one-leaf tree, which real files use only
    // for empty data; either way the length cannot pass the bits that are left.
    if (static_cast<std::uint64_t>(total) > bits.size() - bits.consumed()) {
        throw UzError("truncated Huffman data (its length exceeds the bits present)");
    }
    if (static_cast<std::size_t>(total) > maxOutput) {
        throw UzError("the decompressed data is larger than allowed");
    }
    const auto count = static_cast<std::size_t>(total);
    Bytes out(count);
    if (nodes.front().isLeaf()) {
        std::fill(out.begin(), out.end(), static_cast<std::uint8_t>(nodes.front().symbol));
        return out;
    }
    const std::vector<Step> table = stepTables(nodes);
    const std::uint64_t available = bits.size();
    for (std::size_t k = 0; k < count; ++k) {
        std::size_t tableNumber = 0;
        for (;;) {
            const Step step = table[tableNumber * 256 + bits.peek8()];
            bits.skip(step.bits);
            if (step.leaf) {
                out[k] = static_cast<std::uint8_t>(step.target);
                break;
            }
            tableNumber = step.target;
        }
        if (bits.consumed() > available) {
            throw UzError("truncated Huffman data");
        }
    }
    return out;
}

} // namespace tolvane::uz
