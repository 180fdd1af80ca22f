#include "cli/CliOptions.h"

#include <charconv>

namespace {

struct TModeName {
    const char* Name;
    TCalcMode Mode;
};

constexpr TModeName ModeNames[] = {
    {"simple", cmSimple},           {"simplify", cmSimplify},
    {"newton", cmNewton},           {"derivative", cmDerivative},
    {"antiderivative", cmAntiderivative}, {"numderivative", cmNumDerivative},
    {"integral", cmNumIntegral},    {"length", cmCurveLength},
};

std::int32_t ParseCount(const std::string& option, const std::string& value) {
    std::int32_t n = 0;
    const char* end = value.data() + value.size();
    const auto [ptr, ec] = std::from_chars(value.data(), end, n);
    if (ec != std::errc() || ptr != end)
        throw TCliUsageError{option + " erwartet eine ganze Zahl: '" + value + "'"};
    return n;
}

} // namespace

const char* const CliUsage =
    "Aufruf: nimbrel-cli [OPTION...] [--] [PARAMETER...]\n"
    "Berechnet einen Ausdruck wie das Fenster von Nimbrel und gibt die Ergebniszeile aus.\n"
    "\n"
    "  --mode M               simple, simplify, newton, derivative, antiderivative,\n"
    "                         numderivative, integral, length (Vorgabe: simple)\n"
    "  --var NAME             Variable der gewählten Berechnungsart (Vorgabe: x)\n"
    "  --start TEXT           Startwert für Newton (Vorgabe: 0)\n"
    "  --delta TEXT           Abbruchschranke für Newton (Vorgabe: 1e-20)\n"
    "  --max-iter N           höchste Zahl der Iterationen für Newton (Vorgabe: 1000)\n"
    "  --order N              Ordnung der Ableitung (Vorgabe: 1)\n"
    "  --at TEXT              Stelle der numerischen Ableitung (Vorgabe: 0)\n"
    "  --from TEXT, --to TEXT Intervall für Integral und Bogenlänge (Vorgabe: 1 bis 10)\n"
    "  --width TEXT           Schrittweite für Integral und Bogenlänge\n"
    "                         (Vorgabe: 0,1 mit dem Dezimaltrennzeichen)\n"
    "  --no-ini               keine Einstellungsdatei lesen oder schreiben\n"
    "  --save                 Variablen und Verlauf nach der Berechnung speichern\n"
    "  --decimal-separator C  Dezimaltrennzeichen statt dem der Umgebung\n"
    "  --batch                je eine Eingabezeile der Standardeingabe berechnen\n"
    "  --plot DATEI.svg       die Berechnung zusätzlich als Grafik (SVG) schreiben\n"
    "  --help, --version\n"
    "\n"
    "PARAMETER sind die des Fensterprogramms: Wörter des Ausdrucks und Optionen wie\n"
    "\\d 2 (Ableitung), \\i (Stammfunktion), \\n (Newton), \\c (Vereinfachung), \\m (numerisch),\n"
    "\\x NAME, \\v NAME=WERT, \\t WERT, \\l WERT und -i DATEI (Einstellungsdatei).\n"
    "Ohne PARAMETER am Terminal fragt nimbrel-cli zeilenweise nach Ausdrücken und Befehlen\n"
    "(\"hilfe\" zeigt sie; Tab ergänzt); die Berechnungsart und ihre Felder kommen dann aus der\n"
    "Einstellungsdatei und gehen dorthin zurück, wie beim Fenster.\n"
    "\n"
    "Befehle, am Terminal und mit --batch:\n"
    "  NAME = AUSDRUCK        Variable setzen (auch :=); der Ausdruck wird einfach berechnet\n"
    "  ans                    das letzte Zahlenergebnis; eine eigene Variable ans bleibt\n"
    "                         unberührt, und das letzte Ergebnis wird nicht gespeichert\n"
    "  modus ART              einfach, vereinfachung, newton, ableitung, stammfunktion,\n"
    "                         numableitung, integral, länge\n"
    "  variable NAME, ordnung N, start X, schranke X, iterationen N, stelle X, von X, bis X,\n"
    "  breite X               Felder der Berechnungsart; ohne Wert: der Wert des Feldes\n"
    "  zeige, variablen, verlauf, hilfe\n"
    "--batch schreibt je Eingabezeile genau eine Antwortzeile; mehrzeilige Antworten stehen\n"
    "durch \"; \" getrennt in einer Zeile. Beispiel:\n"
    "  printf 'modus integral\\nvon 0\\nbis 1\\nx^2\\n' | nimbrel-cli --batch\n"
    "\n"
    "Zahlen in TEXT-Werten schreiben sich mit dem Dezimaltrennzeichen.\n"
    "Rückgabewert: 0 Ergebnis, 1 Fehlermeldung (mit --batch: mindestens eine Zeile mit\n"
    "Fehlermeldung, abgelehntem Befehl oder Ausnahme), 2 Ausnahme, 64 falscher Aufruf,\n"
    "73 Einstellungen nicht gespeichert (der Grund steht auf der Standardfehlerausgabe),\n"
    "74 Ein-/Ausgabefehler, 129 bzw. 143 nach SIGHUP bzw. SIGTERM (nach dem Speichern).\n";

const char* CliModeName(TCalcMode mode) {
    for (const TModeName& entry : ModeNames)
        if (entry.Mode == mode) return entry.Name;
    return "";
}

TCliOptions ParseCliOptions(const std::vector<std::string>& args) {
    TCliOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            options.Parameters.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const std::size_t eq = arg.find('='); eq != std::string::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        auto value = [&]() -> std::string {
            if (inlineValue) return *inlineValue;
            if (i + 1 >= args.size()) throw TCliUsageError{name + " erwartet einen Wert"};
            return args[++i];
        };
        auto flag = [&](bool& target) {
            if (inlineValue) throw TCliUsageError{name + " nimmt keinen Wert"};
            target = true;
        };
        if (name == "--mode") {
            const std::string m = value();
            bool found = false;
            for (const TModeName& entry : ModeNames)
                if (m == entry.Name) {
                    options.Mode = entry.Mode;
                    found = true;
                }
            if (!found) throw TCliUsageError{"unbekannte Berechnungsart: '" + m + "'"};
        } else if (name == "--var") {
            options.Var = value();
        } else if (name == "--start") {
            options.Start = value();
        } else if (name == "--delta") {
            options.Delta = value();
        } else if (name == "--max-iter") {
            options.MaxIter = ParseCount(name, value());
        } else if (name == "--order") {
            options.Order = ParseCount(name, value());
        } else if (name == "--at") {
            options.At = value();
        } else if (name == "--from") {
            options.From = value();
        } else if (name == "--to") {
            options.To = value();
        } else if (name == "--width") {
            options.Width = value();
        } else if (name == "--no-ini") {
            flag(options.NoIni);
        } else if (name == "--save") {
            flag(options.Save);
        } else if (name == "--decimal-separator") {
            const std::string c = value();
            if (c.size() != 1 || static_cast<unsigned char>(c[0]) < ' ' || static_cast<unsigned char>(c[0]) > '~')
                throw TCliUsageError{"--decimal-separator erwartet ein einzelnes Zeichen"};
            options.DecimalSeparator = c[0];
        } else if (name == "--plot") {
            options.PlotFile = value();
        } else if (name == "--batch") {
            flag(options.Batch);
        } else if (name == "--help") {
            flag(options.Help);
        } else if (name == "--version") {
            flag(options.Version);
        } else {
            throw TCliUsageError{"unbekannte Option: '" + name + "'"};
        }
    }
    if (options.Save && options.NoIni)
        throw TCliUsageError{"--save und --no-ini schließen einander aus"};
    return options;
}

void ApplyCliOptions(const TCliOptions& options, TCalcRequest& request) {
    if (options.Mode) request.Mode = *options.Mode;
    if (options.Var) {
        switch (request.Mode) {
        case cmNewton:
            request.IterVar = *options.Var;
            break;
        case cmDerivative:
        case cmAntiderivative:
            request.DiffVar = *options.Var;
            break;
        case cmNumDerivative:
            request.DiffNumVar = *options.Var;
            break;
        case cmNumIntegral:
            request.IntgNumVar = *options.Var;
            break;
        case cmCurveLength:
            request.LenNumVar = *options.Var;
            break;
        default:
            break;
        }
    }
    if (options.Start) request.StartText = *options.Start;
    if (options.Delta) request.DeltaText = *options.Delta;
    if (options.MaxIter) request.MaxIter = *options.MaxIter;
    if (options.Order) request.DiffCount = request.DiffNumCount = *options.Order;
    if (options.At) request.DiffNumXText = *options.At;
    if (options.From) request.IntgNumFromText = request.LenNumFromText = *options.From;
    if (options.To) request.IntgNumToText = request.LenNumToText = *options.To;
    if (options.Width) request.IntgNumIntvText = request.LenNumIntvText = *options.Width;
}
