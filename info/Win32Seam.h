#ifndef ENVCHECK_INFO_WIN32SEAM_H
#define ENVCHECK_INFO_WIN32SEAM_H

// The one Win32 side of a seam, made on first use: what a collector takes
// when no test hands it a fake.
template <typename Win32>
Win32& Win32Seam()
{
    static Win32 api;
    return api;
}

#endif
