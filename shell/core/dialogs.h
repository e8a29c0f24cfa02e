#pragma once

#include <QString>
#include <optional>

class QWidget;

namespace tn {

// The shell's message boxes, behind an interface so that form tests can answer them.
class IDialogs {
public:
    virtual ~IDialogs() = default;
    // A plain information box with an OK button.
    virtual void information(QWidget* parent, const QString& text) = 0;
    // A box captioned "Warning" with Yes and No; true only for Yes.
    virtual bool confirm(QWidget* parent, const QString& text) = 0;
    // A file-open dialog starting in `folder`, with name filters in Qt's form ("Name (*.x);;...");
    // the chosen file, or nullopt when cancelled.
    virtual std::optional<QString> openFile(QWidget* parent, const QString& folder,
                                            const QString& filters) = 0;
};

// Real message boxes.
class QtDialogs final : public IDialogs {
public:
    void information(QWidget* parent, const QString& text) override;
    bool confirm(QWidget* parent, const QString& text) override;
    std::optional<QString> openFile(QWidget* parent, const QString& folder, const QString& filters) override;
};

}  // namespace tn
