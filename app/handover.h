#pragma once
// How a second start of the program reaches the first: over a local socket it
// wakes the first and hands over the files named on its command line.

#include <QStringList>

class QLocalServer;

namespace brisklet::app {

class Tfm_main;

// The second start's side: connects to `socketName` (trying for a while when
// files are given, as the first may still be starting) and sends `files`,
// possibly none. Returns when they are delivered or nobody answers.
void handOverFiles(const QString& socketName, const QStringList& files);

// The first instance's side: each connection brings `window` to the front;
// the files it brings are added by Tfm_main::addPaths once the sender is done.
void receiveHandOvers(QLocalServer& server, Tfm_main& window);

} // namespace brisklet::app
