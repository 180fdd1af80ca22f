#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"
#include "platform/Locale.h"
#include "tests/NodeLimit.h"

namespace {

// Something assignable that is not a function object.
class TDummy : public TKvAssignable {
public:
    std::string ClassName() const override { return "TDummy"; }
};

// A function object of another class: forwards to a tree function, as the numeric methods do.
class TForwarding : public TKvMathFunction {
public:
    explicit TForwarding(TKvMathTreeFunction& other) : Other(other) {}
    std::string ClassName() const override { return "TForwarding"; }
    long double GetVarValue(const std::string& name) const override {
        return Other.GetVarValue(name);
    }
    void SetVarValue(const std::string& name, long double value) override {
        Other.SetVarValue(name, value);
    }
    long double GetVarValueByIndex(std::int32_t index) const override {
        return Other.GetVarValueByIndex(index);
    }
    void SetVarValueByIndex(std::int32_t index, long double value) override {
        Other.SetVarValueByIndex(index, value);
    }
    std::string GetVarName(std::int32_t index) const override { return Other.GetVarName(index); }
    std::int32_t IndexOfVar(const std::string& name) const override {
        return Other.IndexOfVar(name);
    }
    std::int32_t VarCount() const override { return Other.VarCount(); }
    std::string GetErrorText() const override { return Other.GetErrorText(); }
    void SetErrorText(const std::string& text) override { Other.SetErrorText(text); }
    void Calculate() override {
        Other.Calculate();
        Result = Other.Result;
    }

private:
    TKvMathTreeFunction& Other;
};

// Counts its own destruction, to check who owns a creator.
class TCountingCreator : public TKvFunctionCreator {
public:
    TCountingCreator(TKvMathTreeFunction* target, int& destroyed)
        : TKvFunctionCreator(target), Destroyed(destroyed) {}
    ~TCountingCreator() override { ++Destroyed; }
    void Execute() override { throw Exception("kaputt"); }
    std::unique_ptr<TKvFunctionCreator> Clone(TKvMathTreeFunction* target) const override {
        return std::make_unique<TCountingCreator>(target, Destroyed);
    }

private:
    int& Destroyed;
};

TKvMathParser* InstallParser(TKvMathTreeFunction& function, const std::string& text) {
    auto parser = std::make_unique<TKvMathParser>(&function);
    TKvMathParser* result = parser.get();
    function.SetCreator(parser.release());
    result->SetExpression(text);
    return result;
}

std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

class MathFuncTest : public ::testing::Test {
protected:
    void SetUp() override { SetDecimalSeparator('.'); }
    void TearDown() override { ResetDecimalSeparator(); }
};

} // namespace

TEST_F(MathFuncTest, FreshFunctionCalculatesNothing) {
    TKvMathTreeFunction f;
    f.Result = 5;
    f.Calculate();
    EXPECT_EQ(f.Result, 0.0L);
    EXPECT_EQ(f.GetErrorText(), "");
    EXPECT_EQ(f.GetFunctionList(), &RealFunctionList());
    EXPECT_EQ(f.ClassName(), "TKvMathTreeFunction");
}

TEST_F(MathFuncTest, VariableAccess) {
    TKvMathTreeFunction f;
    f.AddVariable("y");
    f.AddVariable("X");
    f.AddVariable("x");
    EXPECT_EQ(f.VarCount(), 2);
    EXPECT_EQ(f.GetVarName(0), "X");
    EXPECT_EQ(f.GetVarName(-1), "");
    EXPECT_EQ(f.GetVarName(f.VarCount()), "");
    EXPECT_EQ(f.IndexOfVar("Y"), 1);
    EXPECT_EQ(f.IndexOfVar("z"), -1);
    EXPECT_EQ(f.GetVarValue("x"), 0.0L);
    f.SetVarValue("x", 2.5L);
    f.SetVarValueByIndex(1, -1);
    EXPECT_EQ(f.GetVarValueByIndex(0), 2.5L);
    EXPECT_EQ(f.GetVarValue("y"), -1.0L);
    EXPECT_EQ(MessageOf([&] { f.GetVarValue("q"); }), "Variable q existiert nicht!");
    EXPECT_THROW(f.SetVarValue("q", 1), ENotExistingVariable);
    EXPECT_THROW(f.GetVarValueByIndex(2), EListError);
}

TEST_F(MathFuncTest, CalculateRunsCreatorOnceAndTakesItsMessage) {
    TKvMathTreeFunction f;
    TKvMathParser* parser = InstallParser(f, "x^2+1");
    EXPECT_EQ(f.GetTree(), nullptr);
    f.Calculate();
    EXPECT_EQ(f.Result, 1.0L);
    f.SetVarValue("x", 3);
    f.Calculate();
    EXPECT_EQ(f.Result, 10.0L);

    parser->SetExpression("x+");
    EXPECT_EQ(f.GetTree(), nullptr);
    EXPECT_EQ(f.GetErrorText(), "");
    f.Calculate();
    EXPECT_EQ(f.GetErrorText(), "x+[Fehlender Ausdruck!]");
}

TEST_F(MathFuncTest, CreatorErrorsDoNotLeaveCalculate) {
    int destroyed = 0;
    TKvMathTreeFunction f;
    auto* creator = new TCountingCreator(&f, destroyed);
    creator->ErrorText = "vorher";
    f.SetCreator(creator);
    EXPECT_NO_THROW(f.Calculate());
    EXPECT_EQ(f.GetErrorText(), "vorher");
    EXPECT_EQ(f.Result, 0.0L);
}

TEST_F(MathFuncTest, CreatorOwnership) {
    int destroyed = 0;
    {
        TKvMathTreeFunction f;
        f.SetCreator(new TCountingCreator(&f, destroyed));
        f.SetCreator(new TCountingCreator(&f, destroyed));
        EXPECT_EQ(destroyed, 1) << "replacing destroys the owned creator";
    }
    EXPECT_EQ(destroyed, 2);

    TCountingCreator shared(nullptr, destroyed);
    shared.Shared = true;
    {
        TKvMathTreeFunction f;
        f.SetCreator(&shared);
        f.SetCreator(&shared);
        f.SetCreator(nullptr);
        f.SetCreator(&shared);
    }
    EXPECT_EQ(destroyed, 2) << "a shared creator is never destroyed by its user";
}

TEST_F(MathFuncTest, AssignedCopyIsIndependent) {
    TKvMathTreeFunction source;
    InstallParser(source, "x^2+y");
    source.Calculate();
    source.SetVarValue("x", 3);
    source.SetVarValue("y", 1);

    TKvMathTreeFunction dest;
    dest.AddVariable("old");
    InstallParser(dest, "1+1");
    dest.Calculate();
    dest.Assign(source);

    EXPECT_EQ(dest.VarCount(), 2) << "the store is replaced, not merged";
    EXPECT_NE(dest.VarDepot, source.VarDepot);
    EXPECT_FALSE(dest.GetBorrowedDepot());
    ASSERT_NE(dest.GetTree(), nullptr);
    EXPECT_NE(dest.GetTree(), source.GetTree());
    auto* parser = dynamic_cast<TKvMathParser*>(dest.GetCreator());
    ASSERT_NE(parser, nullptr);
    EXPECT_NE(parser, source.GetCreator());
    EXPECT_EQ(parser->Target, &dest);
    EXPECT_EQ(parser->GetExpression(), "x^2+y");

    dest.Calculate();
    source.Calculate();
    EXPECT_EQ(dest.Result, 10.0L);
    EXPECT_EQ(source.Result, 10.0L);
    dest.SetVarValue("x", 1);
    dest.Calculate();
    source.Calculate();
    EXPECT_EQ(dest.Result, 2.0L);
    EXPECT_EQ(source.Result, 10.0L);
    EXPECT_EQ(source.GetVarValue("x"), 3.0L);
}

TEST_F(MathFuncTest, AssignmentCarriesMessageAndNoTree) {
    TKvMathTreeFunction source;
    InstallParser(source, "2#");
    source.Calculate();
    TKvMathTreeFunction dest;
    source.AssignTo(dest);
    EXPECT_EQ(dest.GetTree(), nullptr);
    EXPECT_EQ(dest.GetErrorText(), "2[Illegales Zeichen: #]#");
    dest.Result = 7;
    dest.AssignTo(dest);
    EXPECT_EQ(dest.Result, 7.0L);
    EXPECT_EQ(dest.GetErrorText(), "2[Illegales Zeichen: #]#");
}

TEST_F(MathFuncTest, BorrowedStoreAndSharedCreatorAreHandedOn) {
    TKvVarDepot store;
    int destroyed = 0;
    TCountingCreator creator(nullptr, destroyed);
    creator.Shared = true;
    {
        TKvMathTreeFunction source;
        source.BorrowVarDepot(&store);
        source.AddVariable("a");
        source.SetCreator(&creator);
        {
            TKvMathTreeFunction dest;
            dest.Assign(source);
            EXPECT_EQ(dest.VarDepot, &store);
            EXPECT_TRUE(dest.GetBorrowedDepot());
            EXPECT_EQ(dest.GetCreator(), &creator);
        }
        // A destination that shares the source's store keeps it on a second assignment.
        TKvMathTreeFunction again;
        again.Assign(source);
        again.Assign(source);
        EXPECT_EQ(again.VarDepot, &store);
    }
    EXPECT_EQ(store.Count(), 1);
    EXPECT_EQ(destroyed, 0);
}

TEST_F(MathFuncTest, AssigningToOtherFunctionCopiesValuesByName) {
    TKvMathTreeFunction source;
    source.AddVariable("x");
    source.SetVarValue("x", 4);
    TKvMathTreeFunction wrapped;
    wrapped.AddVariable("x");
    wrapped.AddVariable("z");
    TForwarding other(wrapped);
    source.AssignTo(other);
    EXPECT_EQ(wrapped.GetVarValue("x"), 4.0L);

    TKvMathTreeFunction lacking;
    lacking.AddVariable("y");
    TForwarding narrow(lacking);
    EXPECT_EQ(MessageOf([&] { narrow.Assign(source); }), "Variable x existiert nicht!");

    // The general case also runs when the source is the other class.
    TKvMathTreeFunction dest;
    dest.AddVariable("x");
    dest.AddVariable("z");
    wrapped.SetVarValue("z", 9);
    dest.Assign(other);
    EXPECT_EQ(dest.GetVarValue("z"), 9.0L);
}

TEST_F(MathFuncTest, AssigningAcrossUnrelatedClassesFails) {
    TKvMathTreeFunction f;
    TDummy dummy;
    const TKvAssignable& asAssignable = f;
    EXPECT_EQ(MessageOf([&] { asAssignable.AssignTo(dummy); }),
              "TKvMathTreeFunction kann nicht zu  TDummy zugewiesen werden");
    EXPECT_EQ(MessageOf([&] { dummy.Assign(f); }),
              "TKvMathTreeFunction kann nicht zu  TDummy zugewiesen werden");
    EXPECT_EQ(MessageOf([&] { f.Assign(dummy); }),
              "TDummy kann nicht zu  TKvMathTreeFunction zugewiesen werden");
    EXPECT_THROW(f.Assign(dummy), EConvertError);
}

TEST_F(MathFuncTest, FailedCopyLeavesDestinationUnchanged) {
    TKvMathTreeFunction source;
    InstallParser(source, "a+b+c");
    source.Calculate();
    TKvMathTreeFunction dest;
    InstallParser(dest, "7");
    dest.Calculate();
    const TKvOperatorNode* tree = dest.GetTree();
    {
        const TNodeLimit limit(NodeInstanceCount + 2);
        EXPECT_THROW(dest.Assign(source), ETooMuchInstances);
    }
    EXPECT_EQ(dest.GetTree(), tree);
    EXPECT_EQ(dest.VarCount(), 0);
    dest.Calculate();
    EXPECT_EQ(dest.Result, 7.0L);
}
