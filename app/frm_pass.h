#pragma once
// Tfrm_pass: the archive chooser shown at start-up when the application folder
// holds several archives. Choosing an entry, by mouse or keyboard, names the
// archive and closes the chooser at once; closing it otherwise chooses nothing.

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QListWidget;

// A combo box of the simple style: an edit field over an always-open list.
class TSimpleComboBox : public QWidget
{
    Q_OBJECT
public:
    explicit TSimpleComboBox(QWidget *parent = nullptr);
    void setItems(const QStringList &items);
    QStringList items() const;
    QString Text() const;
    QListWidget *list() const { return m_list; }
    QLineEdit *edit() const { return m_edit; }

signals:
    // The user selected an entry (click, arrow keys, Enter).
    void Click();

private:
    QLineEdit *m_edit;
    QListWidget *m_list;
};

class Tfrm_pass : public QDialog
{
    Q_OBJECT
public:
    explicit Tfrm_pass(QWidget *parent = nullptr);

    TSimpleComboBox *ComboBox1;
    QLabel *Label1;

    // The archive chosen, or empty when the chooser was closed otherwise.
    const QString &chosen() const { return m_chosen; }
    void ComboBox1Click();

private:
    QString m_chosen;
};
