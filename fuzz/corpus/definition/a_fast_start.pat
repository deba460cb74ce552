patch:Fast start
description:Skips the intro.
param:yn|Skip:EB|Keep:74
location:833D4C8B5A0000
