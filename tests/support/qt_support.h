#pragma once

#include <QApplication>
#include <QString>
#include <functional>
#include <vector>

#include "core/dialogs.h"

namespace tn::test {

// The one QApplication of a test process, created on first use.
QApplication& qtApp();

// Runs act once, from the event loop, as soon as window is visible: the way to answer a modal window
// that the code under test is about to open (a zero-time timer could fire before it is open, if
// anything processes events on the way).
void whenShown(QWidget* window, std::function<void()> act);

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
    std::optional<QString> openFile(QWidget*, const QString& folder, const QString&) override {
        shown.push_back(QStringLiteral("open file in ") + folder);
        if (files.empty()) return std::nullopt;
        QString f = files.front();
        files.erase(files.begin());
        return f;
    }
    std::vector<bool> answers;
    std::vector<QString> files;  // answers of openFile; none left means cancelled
    std::vector<QString> shown;
};

}  // namespace tn::test
