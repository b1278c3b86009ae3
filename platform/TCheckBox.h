#pragma once

#include <QCheckBox>
#include <functional>

// A check box with the editor's rule: setting it to the other state, by the
// user or in code, runs its click behaviour; setting the state it already
// has runs nothing. A click by the user runs the behaviour through the
// behaviour runner; a change made in code runs it directly, so an error
// ends the code that made the change.
class TCheckBox : public QCheckBox {
public:
    explicit TCheckBox(const QString& caption, QWidget* parent = nullptr);

    // The click behaviour; none by default.
    void setOnClick(std::function<void()> onClick) { onClick_ = std::move(onClick); }

    // Sets the state from code, running the click behaviour on a change.
    void setState(bool checked);

private:
    std::function<void()> onClick_;
};
