#pragma once
// The copy's error log "CpErrSql.txt": every statement the destination
// refused, one line each ending in CR LF, in code page 932, in the order of
// refusal. It lives in the current directory of the moment the window is
// created and holds the refusals of one program run: it is deleted and
// created empty then.
//
// A log that cannot be created does not stop the program: the copy asks
// before it writes without one (CopyErrorLog::ready()).

#include <QString>

namespace korvel::copydb {

class CopyErrorLog {
 public:
  // Fixes the path in the current directory, deletes an existing file and
  // creates it empty. Returns whether the file could be created.
  bool create();
  QString path() const { return path_; }

  // Whether lines can be appended now: the file is there (it is created
  // again when it could not be created before, or has gone) and can be
  // opened for appending.
  bool ready();

  // Appends one line. False with *error when it could not be written: the
  // file cannot be opened or written, or a character has no code page 932
  // form (then nothing is written).
  bool append(const QString& line, QString* error);

 private:
  bool createFile();
  QString path_;
  bool created_ = false;  // created empty in this run
};

}  // namespace korvel::copydb
