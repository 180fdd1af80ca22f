// The mode and the fields of the scientific panel in the settings file, shared by the window
// and the console, so that either starts where the other left off.
#pragma once

struct TCalcRequest;
class TIniFile;

// Reads the mode and the fields into request; keys that are missing or unusable leave the
// request's value as it is. The input lines are not touched.
void RestoreRequestFields(const TIniFile& file, TCalcRequest& request);
// Writes the mode and every field.
void SaveRequestFields(TIniFile& file, const TCalcRequest& request);
