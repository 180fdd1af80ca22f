// Expression trees: the node and the live-node limit; the operation codes are in OpCodes.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/OpCodes.h"
#include "values/KvTypes.h"
#include "values/MathErrors.h"
#include "values/VarDepot.h"

class TKvOperatorNode;
using TKvNodePtr = std::unique_ptr<TKvOperatorNode>;

// Kernels work on value buffers of the node's data type. Binary: left := left op right.
using TNegateKernel = void (*)(void* value);
using TBinaryKernel = bool (*)(void* left, const void* right);
using TFunctionKernel = bool (*)(std::uint16_t code, void* value);
using TEvaluator = void (*)(TKvOperatorNode& node, void* result);
using TValueEvaluator = long double (*)(TKvOperatorNode& node);

// Number of live nodes, and the most that may live at once.
extern std::int32_t NodeInstanceCount;
extern std::int32_t MaxNodeInstances;

class TKvOperatorNode {
public:
    // Each raises ETooMuchInstances ("Too much instances of TKvOperatorNode!") beyond the limit.
    static TKvNodePtr CreateOperator(TKvDataType dataType, std::uint16_t code);
    static TKvNodePtr CreateConstant(TKvDataType dataType, const void* value);
    static TKvNodePtr CreateVariable(TKvDataType dataType, TKvVarDepot* depot,
                                     const std::string& name);
    static TKvNodePtr CreateVariableValue(TKvDataType dataType, TKvVarDepot* depot,
                                          const void* value, const std::string& name);
    // +(minuend, -(subtrahend)); makes exactly two nodes.
    static TKvNodePtr CreateSubtraction(TKvNodePtr minuend, TKvNodePtr subtrahend);
    // Convenience for extended constants.
    static TKvNodePtr CreateExtended(long double value);

    ~TKvOperatorNode();
    TKvOperatorNode(const TKvOperatorNode&) = delete;
    // Nodes come and go by the handful with every parse; a free list serves them.
    static void* operator new(std::size_t size);
    static void operator delete(void* block, std::size_t size) noexcept;
    TKvOperatorNode& operator=(const TKvOperatorNode&) = delete;

    // Appends (index < 0) or inserts before index. The node becomes an owned operand; it is
    // destroyed at once when this node cannot take operands (a constant or a variable).
    void AddOperand(std::int32_t index, TKvOperatorNode* node);
    void AddOperand(std::int32_t index, TKvNodePtr node) { AddOperand(index, node.release()); }
    // Destroys the operand at index and removes it.
    void DeleteOperand(std::int32_t index);
    std::int32_t OperandCount() const;
    TKvOperatorNode* GetOperand(std::int32_t index) const { return (*Operands)[index]; }
    // Replaces the pointer without destroying the old operand (the caller has taken it over).
    void SetOperand(std::int32_t index, TKvOperatorNode* node) { (*Operands)[index] = node; }
    // Removes the operand at index from the list without destroying it.
    TKvNodePtr ReleaseOperand(std::int32_t index);
    void SetOwnsOperands(bool owns) { OwnsOperands = owns; }

    std::string NodeText() const;
    bool ContainsVariable(const std::string& name) const;
    // Deep copy; variable nodes are bound by name to depot (or to their own store when null).
    TKvNodePtr Clone(TKvVarDepot* depot) const;

    // Computes the value into result (Size bytes) and sets ErrorText. Never raises. Leaves the
    // fault flags clear.
    void Evaluate(void* result);

    std::uint16_t OpCode;
    TKvDataType DataType;
    std::int32_t Size;
    void* Scratch = nullptr;
    std::unique_ptr<std::vector<TKvOperatorNode*>> Operands;
    void* Value = nullptr;
    std::string ErrorText;
    TKvVarDepot* VarDepot = nullptr;
    TKvSingleVariable* Variable = nullptr;
    bool OwnsOperands = true;
    std::int32_t SourcePos = 0;

    // Chosen once from the code and the type when the node is made, so that the fast evaluators
    // and the compiled program may take them as given.
    TNegateKernel GetNegateKernel() const { return NegateKernel; }
    TBinaryKernel GetBinaryKernel() const { return BinaryKernel; }
    TFunctionKernel GetFunctionKernel() const { return FunctionKernel; }
    TEvaluator GetEvaluator() const { return Evaluator; }
    TValueEvaluator GetFastValue() const { return FastValue; }

private:
    // Tests exchange kernels through it (tests/engine/NodeTestAccess.h).
    friend struct TNodeTestAccess;

    TNegateKernel NegateKernel = nullptr;
    TBinaryKernel BinaryKernel = nullptr;
    TFunctionKernel FunctionKernel = nullptr;
    // The checked evaluator, and the fast one that Evaluate tries first.
    TEvaluator Evaluator = nullptr;
    TValueEvaluator FastValue = nullptr;

    TKvOperatorNode(TKvDataType dataType, std::uint16_t code);
    void SetLeafEvaluator();
    // A buffer of Size bytes, inside the node when the type fits.
    void* NodeBuffer(unsigned char* inside);
    void FreeNodeBuffer(void*& buffer, const unsigned char* inside);

    // Every type fits; the heap serves only a wider one.
    static constexpr std::int32_t InsideBytes = 16;
    alignas(16) unsigned char ScratchBytes[InsideBytes] = {};
    alignas(16) unsigned char ValueBytes[InsideBytes] = {};
};
