// The base of our exceptions and the ones for conversions, list indexes and floating-point faults
// that the engine catches.
#pragma once

#include <stdexcept>
#include <string>

// Base of every exception the program raises itself; carries a German message.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// A text that is not a number ("'%s' ist kein gültiger Gleitkommawert").
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// An index outside a list ("Listenindex überschreitet das Maximum (%d)").
class EListError : public Exception {
public:
    using Exception::Exception;
};

// Floating-point faults; see FpuFaults.h.
class EMathError : public Exception {
public:
    using Exception::Exception;
};
class EInvalidOp : public EMathError {
public:
    EInvalidOp() : EMathError("Ungültige Gleitkommaoperation") {}
};
class EZeroDivide : public EMathError {
public:
    EZeroDivide() : EMathError("Gleitkommadivision durch Null") {}
};
class EOverflow : public EMathError {
public:
    EOverflow() : EMathError("Gleitkommaüberlauf") {}
};
