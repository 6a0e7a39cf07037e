#pragma once

#include <QListView>

// The program's list: no selection of its own, the model decides which items look picked
// (KyItemRole::kRole_ItemSelected), and a click toggles that role on the shell's capture-folder
// list model.
class KyListView : public QListView
{
    Q_OBJECT

public:
    explicit KyListView(QWidget *parent = nullptr);
    ~KyListView() override;

    void setToggleOnClick(bool inToggle) { mToggleOnClick = inToggle; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool mToggleOnClick = true;
};
