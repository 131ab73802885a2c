#pragma once
// The one place that talks to the operating system's signals.

class QWidget;

namespace brisklet::app {

// SIGTERM, SIGINT and SIGHUP close `window` from the event loop.
void closeOnTerminationSignal(QWidget& window);

} // namespace brisklet::app
