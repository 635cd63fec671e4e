#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace kwadrill::bench {

struct Piece {
    QString name;
    QByteArray bytes;
};

// The game's pieces from the resources, or a generated stand-in while the
// resources are not built in.
std::vector<Piece> GamePieces();

// Resident memory of this process in KiB, now and at its peak.
long ResidentKib();
long PeakResidentKib();

// CPU seconds a thread of this process has used (from /proc).
double ThreadCpuSeconds(long tid);

}  // namespace kwadrill::bench
