# The updater program is built here and carried inside Tessivar.exe.
