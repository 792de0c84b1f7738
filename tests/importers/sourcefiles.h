// Helpers for the importer tests: files written the way other programs write them.
#pragma once

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

namespace melodex::test {

/// Writes `data` to `path`; false on failure.
bool writeBytes(const QString &path, const QByteArray &data);

/// Writes a zip archive at `path` holding `members` (name, content), deflated.
bool writeZip(const QString &path, const std::vector<std::pair<QString, QByteArray>> &members);

/// A small PNG image.
QByteArray smallPng();

/// An XML document whose DTD declares entities that expand exponentially ("billion laughs"),
/// with `root` as its root element.
QByteArray entityBomb(const QByteArray &root);

} // namespace melodex::test

namespace melodex::test {

/// The statements with which beets (1.6 to 2.x, before its genres became a list) makes a new
/// library: the items and albums tables with their flexible attributes.
const char *beetsSchema();

} // namespace melodex::test
