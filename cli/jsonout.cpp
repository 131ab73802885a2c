#include "cli/jsonout.h"

#include <QJsonDocument>

#include <cstdio>

namespace brisklet::cli {

namespace {

void print(const QJsonDocument& document)
{
    const QByteArray text = document.toJson(QJsonDocument::Compact);
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
    std::fputc('\n', stdout);
}

} // namespace

QJsonValue jsonText(const std::string& text)
{
    return QString::fromStdString(text);
}

void printJson(const QJsonArray& array)
{
    print(QJsonDocument(array));
}

void printJson(const QJsonObject& object)
{
    print(QJsonDocument(object));
}

} // namespace brisklet::cli
