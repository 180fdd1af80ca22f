// What the fuzz targets share: a failed invariant aborts with its reason, so the fuzzer keeps
// the input; nodes are counted around each run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "engine/MathTree.h"
#include "engine/TreeWalk.h"

#define FUZZ_CHECK(condition, what)                                                                \
    do {                                                                                           \
        if (!(condition)) FuzzFail(__FILE__, __LINE__, (what));                                    \
    } while (false)

[[noreturn]] inline void FuzzFail(const char* file, int line, const std::string& what) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what.c_str());
    std::abort();
}

// Every node made during a run is gone again at its end.
class TNodeBalance {
public:
    TNodeBalance() : Start(NodeInstanceCount) {}
    ~TNodeBalance() {
        FUZZ_CHECK(NodeInstanceCount == Start, "live nodes " + std::to_string(NodeInstanceCount) +
                                                   ", before " + std::to_string(Start));
    }
    TNodeBalance(const TNodeBalance&) = delete;
    TNodeBalance& operator=(const TNodeBalance&) = delete;

private:
    std::int32_t Start;
};

// Input bytes read from the front: a few selector bytes, then the text.
class TFuzzInput {
public:
    TFuzzInput(const std::uint8_t* data, std::size_t size)
        : Data(reinterpret_cast<const char*>(data)), Size(size) {}

    std::uint8_t Byte() {
        if (Used >= Size) return 0;
        return static_cast<std::uint8_t>(Data[Used++]);
    }
    std::string Rest() {
        std::string text(Data + Used, Size - Used);
        Used = Size;
        return text;
    }
    // The rest split at NUL bytes.
    std::vector<std::string> Words() {
        std::vector<std::string> words;
        std::string_view rest(Data + Used, Size - Used);
        Used = Size;
        while (true) {
            const std::size_t end = rest.find('\0');
            words.emplace_back(rest.substr(0, end));
            if (end == std::string_view::npos) break;
            rest.remove_prefix(end + 1);
        }
        return words;
    }

private:
    const char* Data;
    std::size_t Size;
    std::size_t Used = 0;
};

// Whether an operator or function node of the tree has no operand (the parser leaves sin
// without one in "sin)"); such trees cannot be written as text.
inline bool HasBareOperator(const TKvOperatorNode& root) {
    // The walk keeps its results in a vector, so they are ints rather than bools.
    return FoldTree<int>(root, [](const TKvOperatorNode& node, std::span<int> operands) {
               for (int bare : operands)
                   if (bare) return 1;
               return !OpCodes::IsLeaf(node.OpCode) && node.OperandCount() == 0 ? 1 : 0;
           }) != 0;
}

// Whether every operator has the operands its code calls for: sums, products, quotients and
// powers two or more, the others one. The parser also accepts "x^()^()-1)", whose powers have
// one operand each.
bool IsRegular(const TKvOperatorNode& root);

// Parses text into function, whose creator the parser becomes; the parser's message.
std::string ParseInto(class TKvMathTreeFunction& function, const std::string& text);

// A text written from a tree parses again, without a message, into a tree written the same.
// Written from a tree that is not regular, the text stands for the same value but may read
// back into another tree written differently; that one must then read back the same.
void CheckReadsBack(const std::string& text, const char* what, bool regular = true);
