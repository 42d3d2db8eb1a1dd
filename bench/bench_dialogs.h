// The dialogs of a benchmark's session: every question Yes, every message
// unseen, the file dialog answered with `exportPath`.
#pragma once

#include "model/model.h"

#include <string>

class BenchDialogs : public modvesk::Dialogs {
  public:
    std::string exportPath;
    void message(const std::string&, const std::string&, modvesk::Icon) override {}
    bool question(const std::string&, const std::string&, modvesk::Icon) override { return true; }
    std::string openFile(const std::string&, const std::string&, const std::string&) override {
        return exportPath;
    }
    void attente(long) override {}
};
