#include "cli/Commands.h"

#include <cstddef>
#include <exception>

#include "cli/TerminalProgress.h"
#include "functions/FuncList.h"
#include "functions/MthTrFnc.h"
#include "platform/Locale.h"
#include "platform/Utf8.h"
#include "values/KvTypes.h"

#ifndef NIMBREL_HELP_FILE
#define NIMBREL_HELP_FILE "Nimbrel.html"
#endif

namespace {

struct TModeEntry {
    const char* Word;
    TCalcMode Mode;
};

constexpr TModeEntry ModeEntries[] = {
    {"einfach", cmSimple},
    {"vereinfachung", cmSimplify},
    {"newton", cmNewton},
    {"ableitung", cmDerivative},
    {"stammfunktion", cmAntiderivative},
    {"numableitung", cmNumDerivative},
    {"integral", cmNumIntegral},
    {"länge", cmCurveLength},
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string AsciiLower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// Characters (not bytes) of text.
std::int32_t Columns(const std::string& text) {
    return static_cast<std::int32_t>(Utf8ToU32(text).size());
}

std::size_t LeadingBlanks(const std::string& line) {
    std::size_t n = 0;
    while (n < line.size() && static_cast<unsigned char>(line[n]) <= ' ')
        ++n;
    return n;
}

std::string Join(const std::vector<std::string>& lines, const char* separator) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i)
        text += (i > 0 ? separator : "") + lines[i];
    return text;
}

TCommandReply Refuse(std::string message) {
    TCommandReply reply;
    reply.Lines = {std::move(message)};
    reply.Failed = true;
    return reply;
}

bool IsLetterAt(const std::string& text, std::size_t i) {
    return i < text.size() &&
           ((text[i] >= 'A' && text[i] <= 'Z') || (text[i] >= 'a' && text[i] <= 'z'));
}
bool IsDigitAt(const std::string& text, std::size_t i) {
    return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

// Whether the expression uses the name as a variable; an exponent's "e" is no name.
bool MentionsName(const std::string& text, const std::string& name) {
    const std::string wanted = AnsiUpperCase(name);
    std::size_t i = 0;
    while (i < text.size()) {
        if (IsDigitAt(text, i) || text[i] == '.' || text[i] == DecimalSeparator()) {
            while (IsDigitAt(text, i) ||
                   (i < text.size() && (text[i] == '.' || text[i] == DecimalSeparator())))
                ++i;
            if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
                const std::size_t sign =
                    i + 1 < text.size() && (text[i + 1] == '+' || text[i + 1] == '-') ? 1 : 0;
                if (IsDigitAt(text, i + 1 + sign)) i += 1 + sign;
                while (IsDigitAt(text, i))
                    ++i;
            }
        } else if (IsLetterAt(text, i)) {
            const std::size_t first = i;
            while (IsLetterAt(text, i) || IsDigitAt(text, i))
                ++i;
            if (AnsiUpperCase(text.substr(first, i - first)) == wanted) return true;
        } else {
            ++i;
        }
    }
    return false;
}

TCommandReply Answer(std::vector<std::string> lines) {
    TCommandReply reply;
    reply.Lines = std::move(lines);
    return reply;
}

// The variable field the mode runs over, or none for the two modes without one.
std::string* VariableField(TCalcRequest& request) {
    switch (request.Mode) {
    case cmNewton:
        return &request.IterVar;
    case cmDerivative:
    case cmAntiderivative:
        return &request.DiffVar;
    case cmNumDerivative:
        return &request.DiffNumVar;
    case cmNumIntegral:
        return &request.IntgNumVar;
    case cmCurveLength:
        return &request.LenNumVar;
    default:
        return nullptr;
    }
}

constexpr const char* FieldWords[] = {"variable", "ordnung", "start", "schranke", "iterationen",
                                      "stelle",   "von",     "bis",   "breite"};

} // namespace

const std::vector<std::string>& CommandWords() {
    static const std::vector<std::string> words = {
        "hilfe", "variablen", "verlauf",     "modus",  "zeige", "ende", "variable", "ordnung",
        "start", "schranke",  "iterationen", "stelle", "von",   "bis",  "breite"};
    return words;
}

const std::vector<std::string>& ModeWords() {
    static const std::vector<std::string> words = [] {
        std::vector<std::string> list;
        for (const TModeEntry& entry : ModeEntries)
            list.emplace_back(entry.Word);
        return list;
    }();
    return words;
}

const char* ModeWord(TCalcMode mode) {
    for (const TModeEntry& entry : ModeEntries)
        if (entry.Mode == mode) return entry.Word;
    return "einfach";
}

std::string OneLine(const std::string& text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            line += ' ';
        } else {
            line += text[i];
        }
    }
    return line;
}

TCommandInterpreter::TCommandInterpreter(TCalculator& calculator, TCalcRequest& request,
                                         bool interactive)
    : Calculator(calculator), Request(request), Interactive(interactive),
      Last(calculator.MainFunction()) {}

std::string TCommandInterpreter::Prompt() const {
    return Request.Mode == cmSimple ? "> " : std::string(ModeWord(Request.Mode)) + "> ";
}

std::string TCommandInterpreter::BatchLine(const TCommandReply& reply) {
    return Join(reply.Lines, "; ");
}

TCommandReply TCommandInterpreter::Run(const std::string& line) {
    // "=" never belongs to an expression, so a line that holds one is an assignment.
    if (const std::size_t equals = line.find('='); equals != std::string::npos)
        return RunAssignment(line, equals);

    const std::string trimmed = Trim(line);
    if (trimmed == "?") return RunCommand("hilfe", "");
    std::size_t wordEnd = 0;
    while (wordEnd < trimmed.size() && !IsBlank(trimmed[wordEnd]))
        ++wordEnd;
    std::string word = AsciiLower(trimmed.substr(0, wordEnd));
    if (word == "help") word = "hilfe";
    if (word == "quit" || word == "exit") word = "ende";
    if (word == "status") word = "zeige";
    bool known = false;
    for (const std::string& command : CommandWords())
        known = known || word == command;
    // "ende" stays a name in a batch run, where the input's end ends the run.
    if (!known || (word == "ende" && !Interactive)) return RunExpression(line);
    return RunCommand(word, Trim(trimmed.substr(wordEnd)));
}

bool TCommandInterpreter::UsesMissingResult(const std::string& expression) const {
    return Last.OwnsName() && !Last.HasResult() && MentionsName(expression, TLastResult::Name);
}

std::string TCommandInterpreter::NoResultMessage() {
    return std::string(TLastResult::Name) +
           " hat noch keinen Wert: es gab noch kein Zahlenergebnis.";
}

TCommandReply TCommandInterpreter::RunExpression(const std::string& line) {
    TCommandReply reply;
    TCalcRequest request = Request;
    // The history keeps the input without its surrounding blanks, so that " 1+1" and "1+1"
    // are one entry; the marker still counts from the line as typed.
    const std::string trimmed = Trim(line);
    request.InputLines = {trimmed};
    const std::int32_t lead = Columns(line.substr(0, LeadingBlanks(line)));
    if (UsesMissingResult(trimmed)) return Refuse(NoResultMessage());
    try {
        const TCalcOutcome outcome = RunWithProgress(Calculator, request, Interactive);
        const std::string text = outcome.ResultText.value_or("");
        reply.Lines = {Interactive ? "= " + text : text};
        reply.Failed = outcome.ResultIsError;
        if (outcome.CaretPos) reply.MarkerColumn = lead + *outcome.CaretPos;
        Last.Record(outcome);
    } catch (const std::exception& e) {
        reply.Lines = {(Interactive ? "Fehler: " : "! ") + std::string(e.what())};
        reply.Failed = true;
    }
    return reply;
}

TCommandReply TCommandInterpreter::RunAssignment(const std::string& line, std::size_t equals) {
    std::string left = line.substr(0, equals);
    if (!left.empty() && left.back() == ':') left.pop_back();
    const std::string name = Trim(left);
    if (const std::string problem = VariableNameProblem(name); !problem.empty())
        return Refuse(problem);
    const std::string right = line.substr(equals + 1);
    const std::string expression = Trim(right);
    if (expression.empty()) return Refuse("Nach \"=\" fehlt der Ausdruck.");
    if (UsesMissingResult(expression)) return Refuse(NoResultMessage());

    // The right side is a plain evaluation in any mode; it is no input of the history.
    TCalcRequest request = Request;
    request.Mode = cmSimple;
    request.InputLines = {expression};
    const std::vector<std::string> history = Calculator.History;
    TCommandReply reply;
    try {
        const TCalcOutcome outcome = RunWithProgress(Calculator, request, Interactive);
        Calculator.History = history;
        if (!outcome.ResultValue) {
            reply = Refuse((Interactive ? "= " : "") + outcome.ResultText.value_or(""));
            if (outcome.CaretPos)
                reply.MarkerColumn =
                    Columns(line.substr(0, equals + 1 + LeadingBlanks(right))) + *outcome.CaretPos;
            return reply;
        }
        TKvMathTreeFunction& function = Calculator.MainFunction();
        function.AddVariable(name);
        function.SetVarValue(name, *outcome.ResultValue);
        Last.Assigned(name);
        return Answer({function.GetVarName(function.IndexOfVar(name)) + " = " +
                       FloatToDisplayText(*outcome.ResultValue)});
    } catch (const std::exception& e) {
        Calculator.History = history;
        return Refuse((Interactive ? "Fehler: " : "! ") + std::string(e.what()));
    }
}

TCommandReply TCommandInterpreter::RunCommand(const std::string& word,
                                              const std::string& argument) {
    if (word == "modus") {
        if (argument.empty())
            return Answer({std::string("modus ") + ModeWord(Request.Mode) +
                           " (möglich: " + Join(ModeWords(), ", ") + ")"});
        std::string wanted = AsciiLower(argument);
        if (wanted == "laenge") wanted = "länge";
        for (const TModeEntry& entry : ModeEntries)
            if (wanted == entry.Word) {
                Request.Mode = entry.Mode;
                return Answer({std::string("modus ") + entry.Word});
            }
        return Refuse("Unbekannte Berechnungsart \"" + argument +
                      "\"; möglich sind: " + Join(ModeWords(), ", ") + ".");
    }
    for (const char* field : FieldWords)
        if (word == field) return SetField(word, argument);
    if (!argument.empty())
        return Refuse("Der Befehl " + word + " nimmt keinen Wert (\"" + argument + "\").");
    if (word == "ende") {
        TCommandReply reply;
        reply.Quit = true;
        return reply;
    }
    if (word == "hilfe") return Answer(HelpLines());
    if (word == "variablen") return Answer(VariableLines());
    if (word == "verlauf") return Answer(HistoryLines());
    return Answer(Fields()); // zeige
}

TCommandReply TCommandInterpreter::SetField(const std::string& word, const std::string& argument) {
    if (word == "variable") {
        std::string* field = VariableField(Request);
        if (field == nullptr)
            return Refuse(std::string("Die Berechnungsart ") + ModeWord(Request.Mode) +
                          " hat keine Variable; zuerst eine andere mit modus wählen.");
        if (argument.empty()) return Answer({"variable " + *field});
        if (const std::string problem = VariableNameProblem(argument); !problem.empty())
            return Refuse(problem);
        *field = argument;
        return Answer({"variable " + argument});
    }

    if (word == "ordnung" || word == "iterationen") {
        std::int32_t& target =
            word == "ordnung"
                ? (Request.Mode == cmNumDerivative ? Request.DiffNumCount : Request.DiffCount)
                : Request.MaxIter;
        if (argument.empty()) return Answer({word + " " + std::to_string(target)});
        long double value = 0;
        const long double least = word == "ordnung" ? 1 : 0;
        if (!TryTextToExtended(argument, value) || value != static_cast<std::int32_t>(value) ||
            value < least || value > 2147483647.0L)
            return Refuse("\"" + argument + "\" ist keine ganze Zahl ab " +
                          (word == "ordnung" ? "1" : "0") + ".");
        const auto count = static_cast<std::int32_t>(value);
        // Both derivative modes share the order, as --order sets both.
        if (word == "ordnung")
            Request.DiffCount = Request.DiffNumCount = count;
        else
            Request.MaxIter = count;
        return Answer({word + " " + std::to_string(count)});
    }

    std::vector<std::string*> targets;
    if (word == "start") targets = {&Request.StartText};
    if (word == "schranke") targets = {&Request.DeltaText};
    if (word == "stelle") targets = {&Request.DiffNumXText};
    const bool length = Request.Mode == cmCurveLength;
    if (word == "von")
        targets = length ? std::vector{&Request.LenNumFromText, &Request.IntgNumFromText}
                         : std::vector{&Request.IntgNumFromText, &Request.LenNumFromText};
    if (word == "bis")
        targets = length ? std::vector{&Request.LenNumToText, &Request.IntgNumToText}
                         : std::vector{&Request.IntgNumToText, &Request.LenNumToText};
    if (word == "breite")
        targets = length ? std::vector{&Request.LenNumIntvText, &Request.IntgNumIntvText}
                         : std::vector{&Request.IntgNumIntvText, &Request.LenNumIntvText};
    if (argument.empty()) return Answer({word + " " + *targets.front()});
    long double value = 0;
    if (!TryStrToFloat(argument, value))
        return Refuse("'" + argument + "' ist kein gültiger Gleitkommawert");
    if (word == "breite" && !(value > 0))
        return Refuse("Intervall bei der numerischen Integration ist \"0\"!");
    for (std::string* target : targets)
        *target = argument;
    return Answer({word + " " + argument});
}

std::vector<std::string> TCommandInterpreter::Fields() const {
    const TCalcRequest& r = Request;
    std::vector<std::string> lines = {std::string("modus ") + ModeWord(r.Mode)};
    switch (r.Mode) {
    case cmNewton:
        lines.insert(lines.end(),
                     {"variable " + r.IterVar, "start " + r.StartText, "schranke " + r.DeltaText,
                      "iterationen " + std::to_string(r.MaxIter)});
        break;
    case cmDerivative:
        lines.insert(lines.end(),
                     {"variable " + r.DiffVar, "ordnung " + std::to_string(r.DiffCount)});
        break;
    case cmAntiderivative:
        lines.push_back("variable " + r.DiffVar);
        break;
    case cmNumDerivative:
        lines.insert(lines.end(),
                     {"variable " + r.DiffNumVar, "ordnung " + std::to_string(r.DiffNumCount),
                      "stelle " + r.DiffNumXText});
        break;
    case cmNumIntegral:
        lines.insert(lines.end(), {"variable " + r.IntgNumVar, "von " + r.IntgNumFromText,
                                   "bis " + r.IntgNumToText, "breite " + r.IntgNumIntvText});
        break;
    case cmCurveLength:
        lines.insert(lines.end(), {"variable " + r.LenNumVar, "von " + r.LenNumFromText,
                                   "bis " + r.LenNumToText, "breite " + r.LenNumIntvText});
        break;
    default:
        break;
    }
    return lines;
}

std::vector<std::string> TCommandInterpreter::HelpLines() const {
    std::string functions;
    std::vector<std::string> functionLines = {"Funktionen:"};
    const TKvRealFunctionList& list = RealFunctionList();
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        functions += (i > 0 ? ", " : "") + list.Strings(i);
        if (functionLines.back().size() + list.Strings(i).size() > 76)
            functionLines.emplace_back(" ");
        functionLines.back() += " " + list.Strings(i) + (i + 1 < list.Count() ? "," : "");
    }
    if (!Interactive)
        return {"Befehle: NAME = AUSDRUCK, hilfe, variablen, verlauf, modus ART, variable, "
                "ordnung, start, schranke, iterationen, stelle, von, bis, breite, zeige; "
                "ans ist das letzte Zahlenergebnis; Funktionen: " +
                functions};
    std::vector<std::string> lines = {
        "Eine Eingabe je Zeile:",
        "  AUSDRUCK            berechnen in der gewählten Berechnungsart, z. B. 2*sin(Pi/4)",
        "  NAME = AUSDRUCK     Variable setzen (auch NAME := AUSDRUCK); der Ausdruck wird",
        "                      immer einfach berechnet",
        "  ans                 das letzte Zahlenergebnis. Es wird nicht gespeichert. Hat der",
        "                      Benutzer eine eigene Variable ans, bleibt sie unberührt, und ans",
        "                      ist seine Variable.",
        "  hilfe, ?            diese Übersicht",
        "  variablen           die Variablen und ihre Werte",
        "  verlauf             die früheren Eingaben, die neueste zuletzt",
        "  modus ART           einfach, vereinfachung, newton, ableitung, stammfunktion,",
        "                      numableitung, integral, länge",
        "  zeige               die Berechnungsart und ihre Felder",
        "  variable NAME       Variable der Berechnungsart",
        "  ordnung N           Ordnung der Ableitung (ableitung, numableitung)",
        "  start X, schranke X, iterationen N      newton",
        "  stelle X                                numableitung",
        "  von X, bis X, breite X                  integral, länge",
        "  ende                beenden (auch Strg+D)",
        "Ein Befehl ohne Wert zeigt den Wert des Feldes. Eine Variable, die wie ein Befehl",
        "heißt, steht in Klammern: (start).",
        "Operatoren: + - * / ^, ! (Fakultät), Klammern ( ).",
    };
    lines.insert(lines.end(), functionLines.begin(), functionLines.end());
    lines.push_back(
        "Tab ergänzt Befehle, Funktionen und Variablen; Pfeil hoch holt frühere Zeilen.");
    lines.push_back(std::string("Ausführliche Hilfe: ") + NIMBREL_HELP_FILE + " (im Fenster: F1)");
    return lines;
}

std::vector<std::string> TCommandInterpreter::VariableLines() const {
    const TKvMathTreeFunction& function = Calculator.MainFunction();
    std::vector<std::string> lines;
    for (std::int32_t i = 0; i < function.VarCount(); ++i) {
        std::string line =
            function.GetVarName(i) + " = " + FloatToDisplayText(function.GetVarValueByIndex(i));
        if (Last.OwnsName() && i == function.IndexOfVar(TLastResult::Name))
            line += " (letztes Ergebnis)";
        lines.push_back(line);
    }
    if (lines.empty()) lines.push_back("Keine Variablen.");
    return lines;
}

std::vector<std::string> TCommandInterpreter::HistoryLines() const {
    std::vector<std::string> lines;
    const std::vector<std::string>& history = Calculator.History;
    for (std::size_t n = history.size(); n > 0; --n)
        lines.push_back((Interactive ? std::to_string(history.size() - n + 1) + "  " : "") +
                        OneLine(history[n - 1]));
    if (lines.empty()) lines.push_back("Der Verlauf ist leer.");
    return lines;
}
