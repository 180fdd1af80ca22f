// The numeric modes: Newton's method, numeric derivative, Simpson integral and curve length.
#include "app/Calculator.h"
#include "platform/Exceptions.h"

void TCalculator::RunNewton(const TCalcRequest&, TCalcOutcome&) {
    throw Exception("Diese Berechnungsart ist noch nicht verfügbar.");
}

void TCalculator::RunNumDerivative(const TCalcRequest&, TCalcOutcome&) {
    throw Exception("Diese Berechnungsart ist noch nicht verfügbar.");
}

void TCalculator::RunNumIntegral(const TCalcRequest&, TCalcOutcome&) {
    throw Exception("Diese Berechnungsart ist noch nicht verfügbar.");
}

void TCalculator::RunCurveLength(const TCalcRequest&, TCalcOutcome&) {
    throw Exception("Diese Berechnungsart ist noch nicht verfügbar.");
}
