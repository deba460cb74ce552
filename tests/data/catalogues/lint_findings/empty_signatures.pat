patch:Empty signatures
description:Commas in a row, at the ends, nothing after the key.
param:text|x
location:,AABB,,CCDD,
location:
location:or|
