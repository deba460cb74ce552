patch:Café title
description:Née « ici »
param:yn|Oui é:90|Non:91
location:AABB
