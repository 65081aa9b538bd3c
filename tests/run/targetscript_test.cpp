#include "run/targetscript.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "base/direction.h"
#include "base/targetset.h"
#include "run/console.h"

namespace trelkan {
namespace {

struct ScriptRun {
    bool accepted = false;
    std::string errors;  // standard error
    std::string output;  // standard output
    std::vector<Target> targets;
};

ScriptRun runScript(const std::string& script, const ScriptPresets& presets = {}) {
    // An exact-size copy without a terminating NUL, so that reading past the end is caught.
    const std::vector<char> text(script.begin(), script.end());
    Console console;
    TargetSet targets;
    ScriptRun run;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    run.accepted =
        parseTargetScript(targets, std::string_view(text.data(), text.size()), presets, console);
    run.output = testing::internal::GetCapturedStdout();
    run.errors = testing::internal::GetCapturedStderr();
    run.targets.assign(targets.targets().begin(), targets.targets().end());
    return run;
}

using TargetFields = std::tuple<int, int, int, int, int, std::string>;
TargetFields fields(const Target& t) {
    return {t.dt, t.dx, t.dy, t.dir, t.inDir, t.label};
}

std::string report(const std::string& script, std::size_t caret) {
    return "Extended target parsing error\n" + script + "\n" + std::string(caret, '.') + "^\n";
}

// The value of an expression, read back as the x of a single end point.
std::int32_t evaluate(const std::string& expression) {
    const ScriptRun run = runScript("F1[" + expression + ",0]");
    EXPECT_EQ(run.targets.size(), 1u) << expression << "\n" << run.errors;
    return run.targets.empty() ? 0 : run.targets.front().dx;
}

TEST(TargetScriptPoints, OnePointStartsAtTheOriginTwoPointsGiveTheEndSeenFromTheStart) {
    const ScriptRun one = runScript("L40[3,5]", {.period = 30, .maxLen = 1500, .minLen = 1});
    ASSERT_TRUE(one.accepted);
    ASSERT_EQ(one.targets.size(), 1u);
    EXPECT_EQ(fields(one.targets[0]), TargetFields(40, 3, 5, kL, kF, " (l=1,p=30,u=1500)"));
    EXPECT_EQ(one.errors, "");

    const ScriptRun two = runScript("L0[0,0]..L40[3,5]");
    ASSERT_EQ(two.targets.size(), 1u);
    EXPECT_EQ(fields(two.targets[0]), TargetFields(40, -5, 3, kF, kL, ""));
}

TEST(TargetScriptPoints, DirectionWordsAndTheirCase) {
    const std::vector<std::pair<std::string, int>> words = {{"F", kF},   {"Fx", kFx}, {"L", kL},
                                                            {"Lx", kLx}, {"B", kB},   {"Bx", kBx},
                                                            {"R", kR},   {"Rx", kRx}};
    for (const auto& [word, code] : words) {
        const ScriptRun run = runScript(word + "10[0,0]");
        ASSERT_EQ(run.targets.size(), 1u) << word;
        EXPECT_EQ(run.targets[0].dir, code) << word;
    }
    // "X" is not a mirror mark but the variable x, and the time then fails at the digit.
    EXPECT_EQ(runScript("FX10[0,0]").errors, report("FX10[0,0]", 2));
    EXPECT_EQ(runScript("f10[0,0]").errors, report("f10[0,0]", 0));
}

TEST(TargetScriptPoints, PresetVariablesInEitherCase) {
    const ScriptRun run =
        runScript("F1[p+10*C+100*u+1000*L+10000*x+100000*Y+1000000*t,0]", {1, 2, 3, 4, 5, 6, 7});
    ASSERT_EQ(run.targets.size(), 1u);
    EXPECT_EQ(run.targets[0].dx, 7654321);
    EXPECT_EQ(run.targets[0].label, " (c=2,l=4,p=1,t=7,u=3,x=5,y=6)");
}

TEST(TargetScriptRanges, OneTargetPerValueWhateverTheBoundsOrder) {
    for (const std::string script : {"(a=1..3)F10*a[0,a]", "(a=3..1)F10*a[0,a]"}) {
        const ScriptRun run = runScript(script);
        ASSERT_EQ(run.targets.size(), 3u) << script;
        for (int a = 1; a <= 3; ++a) {
            EXPECT_EQ(fields(run.targets[a - 1]),
                      TargetFields(10 * a, 0, a, kF, kF, " (a=" + std::to_string(a) + ")"));
        }
    }
    // Fixed values take part in the label only when they are not 0.
    const ScriptRun run = runScript("(a=2..5,b=a*10,c=0,d=0..0)F1[a,b]");
    ASSERT_EQ(run.targets.size(), 4u);
    EXPECT_EQ(run.targets[3].label, " (a=5,b=20)");
}

TEST(TargetScriptRanges, OdometerTurnsAFastestAndKeepsTargetsBeforeAnError) {
    // The divisor is 0 only for (a, b) = (1, 1): with a fastest, three combinations come first.
    const ScriptRun run = runScript("(a=0..1,b=0..2)F1[a,b+1/(a+2*b-3)*0]");
    EXPECT_FALSE(run.accepted);
    EXPECT_EQ(run.output, "Division by zero\n");
    std::vector<std::pair<int, int>> positions;
    for (const Target& target : run.targets) {
        positions.emplace_back(target.dx, target.dy);
    }
    EXPECT_EQ(positions, (std::vector<std::pair<int, int>>{{0, 0}, {0, 1}, {1, 0}}));

    EXPECT_EQ(runScript("(a=0..1,b=0..2)F1[a,b]").targets.size(), 6u);
    EXPECT_EQ(runScript("(a=2147483646..2147483647)F1[a,0]").targets.size(), 2u);
}

TEST(TargetScriptRanges, MoreThanAMillionCombinationsAreRefusedBeforeAnyTarget) {
    const std::string refusal = "Too many targets: over 1000000 combinations of the variables\n";
    for (const char* script : {"(a=0..1000000)F1[a,0]", "(a=1..1000,b=1..1001)F1[a,b]",
                               "(a=-2147483648..2147483647)F1[a,0]",
                               "(a=0..1,b=0..1,c=0..1,d=0..1,e=0..1,f=0..1,g=0..1,h=0..1,i=0..1,"
                               "j=0..1,k=0..1,m=0..1,n=0..1,o=0..1,q=0..1,r=0..1,s=0..1,v=0..1,"
                               "w=0..1,z=0..1)F1[a,0]"}) {
        const ScriptRun run = runScript(script);
        EXPECT_FALSE(run.accepted) << script;
        EXPECT_EQ(run.errors, refusal) << script;
        EXPECT_TRUE(run.targets.empty()) << script;
    }
    // A million exactly is evaluated; with no delay every target is dropped.
    const ScriptRun run = runScript("(a=1..1000,b=1..1000)F0[a,b]");
    EXPECT_TRUE(run.accepted);
    EXPECT_EQ(run.errors, "");
    EXPECT_TRUE(run.targets.empty());
}

TEST(TargetScriptArithmetic, OperatorsPrecedenceSignsAndWrapAround) {
    // clang-format off
    const std::vector<std::pair<std::string, std::int32_t>> cases = {
        {"-7@3", 2}, {"7@-3", -2}, {"-7@-3", -1}, {"-7%3", -1}, {"7%-3", 1}, {"-7/2", -3},
        {"-2*3", -6}, {"2+3*4", 14}, {"10-2-3", 5}, {"100/10/5", 2}, {"--(2+3)*-2", -10},
        {"4294967297", 1}, {"2147483648", INT_MIN}, {"2147483647+1", INT_MIN},
        {"65536*65536+3", 3}, {"-2147483648/-1", INT_MIN}, {"-2147483648%-1", 0},
        {"-2147483648@-1", 0}};
    // clang-format on
    for (const auto& [expression, value] : cases) {
        EXPECT_EQ(evaluate(expression), value) << expression;
    }
}

TEST(TargetScriptErrors, ReportPutsTheCaretWhereParsingStopped) {
    // clang-format off
    const std::vector<std::pair<std::string, std::size_t>> cases = {
        {"", 0}, {"F10[ 0,0]", 4}, {"F1[0,0", 6}, {"F(1[0,0]", 3}, {"(1=2)F1[0,0]", 1},
        {"(a=1.5)F1[0,0]", 5}, {"(a=1;b=2)F1[0,0]", 4}, {"F1[0,0].", 8}};
    // clang-format on
    for (const auto& [script, caret] : cases) {
        const ScriptRun run = runScript(script);
        EXPECT_FALSE(run.accepted) << script;
        const std::string warning = script.ends_with('.') ? "'..' expected\n" : "";
        EXPECT_EQ(run.errors, warning + report(script, caret)) << script;
    }
}

TEST(TargetScriptErrors, CharactersAfterThePoints) {
    for (const std::string& script : {std::string("F10[0,0]X"), std::string("F10[0,0]\0", 9)}) {
        const ScriptRun run = runScript(script);
        EXPECT_FALSE(run.accepted);
        EXPECT_TRUE(run.targets.empty());
        EXPECT_EQ(run.errors,
                  "'..' expected\nExtra characters at the end of the line\n" + report(script, 8));
    }
    // A wrong second dot between two points is only warned about.
    const ScriptRun run = runScript("F0[0,0].XL10[0,0]");
    EXPECT_TRUE(run.accepted);
    EXPECT_EQ(run.errors, "'..' expected\n");
    EXPECT_EQ(run.targets.size(), 1u);
}

TEST(TargetScriptErrors, DivisionByZeroInTheFirstCombination) {
    for (const std::string op : {"/", "%", "@"}) {
        const std::string script = "(a=0..2)F10" + op + "a[0,0]";
        const ScriptRun run = runScript(script);
        EXPECT_FALSE(run.accepted);
        EXPECT_EQ(run.output, "Division by zero\n");
        EXPECT_EQ(run.errors, report(script, 13));
        EXPECT_TRUE(run.targets.empty());
    }
}

TEST(TargetScriptErrors, NestingIsLimited) {
    const auto nested = [](int depth) {
        return "F" + std::string(depth, '(') + "1" + std::string(depth, ')') + "[0,0]";
    };
    EXPECT_TRUE(runScript(nested(1000)).accepted);
    EXPECT_EQ(runScript(nested(1001)).errors, report(nested(1001), 1001));
    const std::string minuses = "F" + std::string(100000, '-') + "1[0,0]";
    EXPECT_EQ(runScript(minuses).errors, report(minuses, 1001));
}

// A few random edits of a valid script reach every part of the grammar, correct or not.
std::string randomlyEdited(std::string script, std::mt19937& random) {
    static const std::string alphabet =
        std::string("0123456789abcxyzABFLRx()[],.+-*/%@= #") + '\0' + '\xff';
    const auto below = [&random](std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random);
    };
    for (std::size_t edits = 1 + below(4); edits > 0; --edits) {
        const std::size_t at = below(script.size() + 1);
        const char c = alphabet[below(alphabet.size())];
        const std::size_t kind = below(3);  // 0: insert, 1: replace, 2: delete
        script.replace(at, kind == 0 ? 0 : 1, kind == 2 ? 0 : 1, c);
    }
    return script;
}

TEST(TargetScriptErrors, RandomTextEndsInAnAcceptanceOrAReport) {
    const std::string valid = "(a=1..3,b=-2..2)Lx10*a@3[b/a,b%2]..R20+a[(a-1)*b,-a]";
    std::mt19937 random(12345);
    for (int i = 0; i < 5000; ++i) {
        const std::string script = randomlyEdited(valid, random);
        const ScriptRun run = runScript(script);
        if (run.accepted) {
            EXPECT_EQ(run.output, "") << script;
            continue;
        }
        ASSERT_TRUE(run.errors.ends_with("^\n")) << script;
        const std::size_t dotsEnd = run.errors.size() - 2;
        const std::size_t dotsBegin = run.errors.find_last_not_of('.', dotsEnd - 1) + 1;
        EXPECT_LE(dotsEnd - dotsBegin, script.size()) << script;
        EXPECT_TRUE(run.errors.substr(0, dotsBegin)
                        .ends_with("Extended target parsing error\n" + script + "\n"))
            << script;
    }
}

}  // namespace
}  // namespace trelkan
