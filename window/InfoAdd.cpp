#include "window/InfoAdd.h"

#include "window/aboutdlg.h"

const QStringList& InfoAdds() {
    static const QStringList texts{
        "Nimbrel rechnet mit 80-Bit-Gleitkommazahlen, also mit etwa 19 gültigen Stellen. "
        "Angezeigt werden 15 Stellen; so bleiben Rundungsfehler meist unsichtbar.",
        "Tippen Sie einen Ausdruck ein und drücken Sie die Eingabetaste oder „=“. Ein Fehler "
        "wird in der Ergebniszeile beschrieben, und die Schreibmarke springt an seine Stelle.",
        "Variablen entstehen beim ersten Gebrauch mit dem Wert 0. Mit „...“ neben dem "
        "Eingabefeld geben Sie ihnen Werte; Pi und e sind schon da.",
        "Strg+F öffnet das Menü der Funktionen, Strg+A das der Variablen. Mit gehaltener "
        "Umschalttaste setzt Nimbrel den markierten Text in die Klammern der Funktion.",
        "Der Knopf neben dem Eingabefeld öffnet die Historie: die letzten Ausdrücke, der "
        "neueste oben. Ein Klick rechnet einen Ausdruck noch einmal aus.",
        "Der Pfeil in der Ergebniszeile klappt das wissenschaftliche Feld auf: Vereinfachung, "
        "Newtonverfahren, Ableitung und Stammfunktion, numerische Ableitung, Integral und "
        "Kurvenlänge.",
        "Die Ableitung wird als Ausdruck gebildet und vereinfacht, auch die n-te. Eine "
        "Stammfunktion findet Nimbrel nur für Ausdrücke, die seine Integrationsregeln abdecken.",
        "Numerische Verfahren setzen ihre Versuchswerte in die Variable ein. Nach dem Rechnen "
        "behält die Variable den zuletzt benutzten Wert.",
        "Ziehen Sie das Fenster höher, um über mehrere Zeilen zu schreiben. Im einzeiligen "
        "Fenster werden eingefügte Zeilenumbrüche zu Leerzeichen.",
        "Variablen, Historie und Fensterlage stehen in der Einstellungsdatei. Ein Doppelklick "
        "auf ihren Namen auf der Seite „System“ öffnet ihren Ordner.",
        QStringLiteral("Tipps und Neuigkeiten zu Nimbrel finden Sie unter %1. Ein Klick auf "
                       "diesen Text öffnet die Seite.")
            .arg(MakerSecondWebAddress),
    };
    return texts;
}
