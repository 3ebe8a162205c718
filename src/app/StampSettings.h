#pragma once

#include "app/StampCommand.h"

// The stamp options the person chose in the window, kept in the user's
// configuration (QSettings, organization "KadrimarkEXIF", application
// "kadrimarkexif"), group "stamp":
//   allNames   bool  every name scheme (TNameSchemes::all)
//   recursive  bool  subfolders too
//   setMtime   bool  the shot's moment becomes the file's modification time
//   videos     bool  videos too
// Missing values are the defaults: the camera phones' scheme alone, read in
// each folder's day or month order, photos of the folder itself, times kept.
// Everything that runs or foretells a window's stamp run reads them here.
TStampOptions StampOptionsInForce();
// Keeps the four options of `options` there (the "Параметры" dialog).
void KeepStampOptions(const TStampOptions& options);
