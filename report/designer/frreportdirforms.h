#pragma once
// The dialogs that open and save reports while the report keeps its files in
// one folder (ReportDir): TOpenForm ("Caricamento Report") lists the folder's
// reports, TSaveForm ("Salvataggio Report") takes a name. Names stay inside
// the folder: a "/" or ".." is refused.

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;

class TOpenForm : public QDialog
{
    Q_OBJECT
public:
    TOpenForm(const QString &folder, QWidget *parent = nullptr);
    QListWidget *Reports;
    QPushButton *OkButton;
    // The chosen name with ".frf".
    QString SelectedName() const;
};

class TSaveForm : public QDialog
{
    Q_OBJECT
public:
    TSaveForm(const QString &currentName, QWidget *parent = nullptr);
    QLineEdit *Name;
    QPushButton *OkButton;
    // The typed name with ".frf" unless it ends so already (any case).
    QString FileName() const;
    static bool ValidName(const QString &name);
    void accept() override;
};
