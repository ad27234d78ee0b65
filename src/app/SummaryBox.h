#pragma once
// The welcome page's summary: read-only, scrolls both ways, never wraps, and
// keeps Return for itself so that Return there does not press Next.

#include <QPlainTextEdit>

class SummaryBox final : public QPlainTextEdit {
public:
    explicit SummaryBox(QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};
