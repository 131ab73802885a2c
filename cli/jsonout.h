#pragma once
// Machine-readable output (--json): one compact JSON document and a line feed
// on stdout. Text that is not UTF-8 has its bad bytes replaced by U+FFFD.

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

#include <string>

namespace brisklet::cli {

QJsonValue jsonText(const std::string& text);
void printJson(const QJsonArray& array);
void printJson(const QJsonObject& object);

} // namespace brisklet::cli
