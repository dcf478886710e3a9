#pragma once
// F_Todo: a fixed list of the work still planned for the program.

#include <QDialog>
#include <QStringList>

namespace korvelin {

QStringList TachesPrevues();

class F_Todo : public QDialog {
    Q_OBJECT
public:
    explicit F_Todo(QWidget* parent = nullptr);
};

}  // namespace korvelin
