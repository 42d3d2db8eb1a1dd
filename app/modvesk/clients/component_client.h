// The outside scripting component known by the identifier "Python.pythrolvane".
// It is a shared object of its own, created once at start-up by its identifier
// (mapped to its file next to the executable, then in the install's library
// folder) and called late-bound by method name with string arguments, answering a
// string. Methods: catalogueTables, catalogueChamps, lectureChamps,
// extraitnomchemin, remplacechainepar.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace component {

// A call that could not be made or that failed; what() is a French text.
struct ComponentError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Component {
  public:
    // Creates the component known by `progId`; nullptr when it cannot be created.
    static std::unique_ptr<Component> create(const std::string& progId = "Python.pythrolvane");
    ~Component();
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    // Calls `method` with the arguments (Windows-1252 strings) and returns its answer.
    // Throws ComponentError when the method is unknown or fails.
    std::string call(const std::string& method, const std::vector<std::string>& args);

    struct Impl;

  private:
    explicit Component(Impl* impl);
    Impl* impl_;
};

// The French text a job shows when it needs the component and there is none.
std::string absentMessage();

// Calls `method` of the component `c` (nullptr: there is none); false, with the
// French reason in `problem`, when there is no component or the call failed.
bool ask(Component* c, const std::string& method, const std::vector<std::string>& args,
         std::string& answer, std::string& problem);

} // namespace component
