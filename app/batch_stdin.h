#pragma once
// --run -: the script comes from standard input. It is copied whole into a temporary file
// first, so that the run reads it as it reads any script (a long one twice), in bounded
// memory.

#include <QString>
#include <QTemporaryFile>

class ScriptFromStdin {
public:
    // Copies standard input up to its end; false, with the reason in error, when it cannot.
    bool read(QString *error);
    // The copy, for as long as this object lives.
    QString path() const { return file_.fileName(); }

private:
    QTemporaryFile file_;
};
