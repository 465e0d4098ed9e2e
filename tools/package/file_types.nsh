; The file types Melodek offers to open: every extension its bundled input
; plug-ins declare (in_wave.dll: wav; in_mf.dll: mp3 mp2 m4a aac wma flac)
; and the play lists it reads. The end-to-end test of the setup checks this
; list against what the plug-ins report.
; Each line: extension, the Melodek ProgID for it.
!macro MELODEK_FILE_TYPES _each
  !insertmacro ${_each} .wav Melodek.AudioFile
  !insertmacro ${_each} .mp3 Melodek.AudioFile
  !insertmacro ${_each} .mp2 Melodek.AudioFile
  !insertmacro ${_each} .m4a Melodek.AudioFile
  !insertmacro ${_each} .aac Melodek.AudioFile
  !insertmacro ${_each} .wma Melodek.AudioFile
  !insertmacro ${_each} .flac Melodek.AudioFile
  !insertmacro ${_each} .m3u Melodek.PlayList
  !insertmacro ${_each} .m3u8 Melodek.PlayList
!macroend
