#pragma once

#include <sys/types.h>

#include <QByteArray>
#include <QList>

// A program's process tree and its memory, read from /proc.

// The process and its descendants, the process first.
QList<pid_t> processTree(pid_t root);
// Proportional set size of a process in kB; 0 when it is gone.
qint64 pssKb(pid_t pid);
bool alive(pid_t pid);
// The command name of a process.
QByteArray commandOf(pid_t pid);
