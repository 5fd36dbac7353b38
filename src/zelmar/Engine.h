#pragma once
// What the program's entry needs of the engine object: construct it, prepare
// it from a configuration file, run it, destroy it. The entry sees the engine
// through this interface, so tests can stand in an engine of their own.
#include <functional>
#include <memory>
#include <string>

namespace zelmar {

class Engine {
public:
    virtual ~Engine() = default;
    // Reads the configuration; false after an error has been logged.
    virtual bool prepare(const std::string& config_path) = 0;
    virtual void calculate() = 0;
};

// Constructs the engine; called once, after logging has started.
using EngineFactory = std::function<std::unique_ptr<Engine>()>;

// Any class with prepare(config path) and calculate() as an Engine.
template <class T>
class EngineOf final : public Engine {
public:
    bool prepare(const std::string& config_path) override { return engine_.prepare(config_path.c_str()); }
    void calculate() override { engine_.calculate(); }

private:
    T engine_;
};

}  // namespace zelmar
