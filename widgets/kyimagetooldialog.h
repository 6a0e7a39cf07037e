#pragma once

#include <QDialog>
#include <QString>

#include <memory>

namespace Ui {
class KyImageToolDialog;
}

// A modal tool picker laid over a screen: a translucent backdrop with a cover picture, a palette of
// four tool buttons and a tools badge. A tool button accepts the dialog with the button's text as
// the chosen tool; a click on the backdrop rejects it and leaves the choice as it was.
class KyImageToolDialog : public QDialog
{
    Q_OBJECT

public:
    explicit KyImageToolDialog(QWidget *parent = nullptr);
    ~KyImageToolDialog() override;

    // "Zoom", "Intensity", "Contrast" or "Display" once a tool was chosen, "" before.
    QString selectedTool() const { return chosenTool; }

private slots:
    void on_backImage_clicked();
    void onButtonClicked();

private:
    std::unique_ptr<Ui::KyImageToolDialog> ui;
    QString chosenTool;
};
