#pragma once
// The capture part of QTKit: every public header.
#include <QTKit/QTCaptureConnection.h>
#include <QTKit/QTCaptureDecompressedVideoOutput.h>
#include <QTKit/QTCaptureDevice.h>
#include <QTKit/QTCaptureInput.h>
#include <QTKit/QTCaptureMovieFileOutput.h>
#include <QTKit/QTCaptureOutput.h>
#include <QTKit/QTCaptureSession.h>
#include <QTKit/QTError.h>
#include <QTKit/QTFormatDescription.h>
#include <QTKit/QTMedia.h>
#include <QTKit/QTSampleBuffer.h>
