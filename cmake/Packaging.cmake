# The Debian package (cpack -G DEB, or scripts/package). Libraries the program
# links come from dpkg-shlibdeps; what it only reaches at run time (the speech
# service, GStreamer plugins, fonts, Qt's translations and plugins) is listed.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME murmelin)
set(CPACK_PACKAGE_VENDOR "Kestrow Software")
set(CPACK_PACKAGE_CONTACT "Kestrow Software <murmelin@kestrow.invalid>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "reads text aloud line by line and plays music with synchronized lyrics")
set(CPACK_PACKAGE_DESCRIPTION "Murmelin is a study tool for language learning and songs, with a Japanese
user interface. It reads text aloud line by line for shadowing practice, with
repetitions, and plays MP3 and WAV files while a separate window shows their
synchronized LRC lyrics. It edits .txt and .lrc files in Shift_JIS, UTF-16
and UTF-8.")
set(CPACK_STRIP_FILES TRUE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://murmelin.kestrow.invalid/SoftWare/Murmelin/")
set(murmelin_runtime_depends
  "speech-dispatcher"
  "speech-dispatcher-espeak-ng"
  "qt6-speech-speechd-plugin"
  # the English voices (Flite is opened at run time)
  "libflite1"
  # kanji readings for the Japanese voice (MeCab is opened at run time)
  "libmecab2"
  "open-jtalk-mecab-naist-jdic"
  "gstreamer1.0-plugins-base"
  # pulsesink is in the good plugins (gstreamer1.0-pulseaudio is only a
  # transitional package on Debian 12)
  "gstreamer1.0-plugins-good"
  "libasound2-plugins"
  "fonts-ipafont-gothic | fonts-noto-cjk"
  "fonts-ipafont-mincho | fonts-noto-cjk"
  "qt6-translations-l10n"
  # SVG icons, and the browser's helper process and resources
  "libqt6svg6"
  "libqt6webenginecore6-bin"
  "libqt6webengine6-data")
list(JOIN murmelin_runtime_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
# A sound server for the pulse sink and the ALSA mixer.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-wayland, pulseaudio | pipewire-pulse")
# A natural Japanese voice, offered when an HTS voice is installed too.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "open-jtalk")

include(CPack)
