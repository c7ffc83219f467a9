// The single-instance facility and the restart hand-over between processes.
#pragma once

#include "../text/exstring.h"

class exrestart {
public:
    explicit exrestart(const exstring& name);
    virtual ~exrestart() = default;
    exrestart(const exrestart&) = delete;
    exrestart& operator=(const exrestart&) = delete;

    const exstring& Name() const { return name_; }
    // "/<name>_EXRRESTART:", followed on a command line by the hand-over mutex name.
    const exstring& RestartMarker() const { return restartMarker_; }

private:
    exstring name_;
    exstring restartMarker_;
};
