// The symbolic modes: simplification, derivative and antiderivative.
#include "app/Calculator.h"
#include "platform/Exceptions.h"

void TCalculator::RunSimplify(const TCalcRequest&, TCalcOutcome&) {
    throw Exception("Diese Berechnungsart ist noch nicht verfügbar.");
}

void TCalculator::RunDerivative(const TCalcRequest&, TCalcOutcome&) {
    throw Exception("Diese Berechnungsart ist noch nicht verfügbar.");
}

void TCalculator::RunAntiderivative(const TCalcRequest&, TCalcOutcome&) {
    throw Exception("Diese Berechnungsart ist noch nicht verfügbar.");
}
