#pragma once
// The engine object: one simulation, from its configuration to its results.
//
// Only the start-up surface is here so far: the program's entry constructs
// the engine, prepares it from a configuration file and runs it.
#include <string>

class PDcalc {
public:
    PDcalc();
    ~PDcalc();
    PDcalc(const PDcalc&) = delete;
    PDcalc& operator=(const PDcalc&) = delete;

    // Reads the configuration and builds the model; false after an error
    // has been logged.
    bool prepare(const std::string& config_path);

    // Runs this process's experiments.
    void calculate();
};
