#pragma once

#include <QWidget>

namespace Ui {
class KyProgressView;
}

// A progress panel: a text above a progress bar that counts steps up to a total.
class KyProgressView : public QWidget
{
    Q_OBJECT

public:
    explicit KyProgressView(QWidget *parent = nullptr);
    ~KyProgressView() override;

    void SetText(const QString &text);
    // The bar's maximum becomes total, its value 0.
    void SetProgress(int total);
    // The bar has reached its maximum (at once for a total of 0).
    bool IsFinished() const;
    void Step();

public slots:
    // The box showing the panel may call these; a progress panel has nothing to accept.
    void accept() {}
    void reject() {}

private:
    Ui::KyProgressView *ui;
};
