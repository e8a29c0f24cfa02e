#pragma once

#include <QApplication>
#include <QString>
#include <vector>

#include "core/dialogs.h"

namespace tn::test {

// The one QApplication of a test process, created on first use.
QApplication& qtApp();

// Message boxes answered by the test: confirm() returns the next scripted answer (No when none is
// left); every box is recorded.
class ScriptedDialogs final : public IDialogs {
public:
    void information(QWidget*, const QString& text) override { shown.push_back(text); }
    bool confirm(QWidget*, const QString& text) override {
        shown.push_back(text);
        if (answers.empty()) return false;
        const bool a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    std::vector<bool> answers;
    std::vector<QString> shown;
};

}  // namespace tn::test
